#include "excel/read/XlsReader.h"

// Linked into the build tree's tests, benchmarks and fuzzers, which do not sit beside the reader:
// they use it where the build made it. The shipped programs carry no build path.
namespace {

const bool ReaderInBuildTree = (UseXlsReaderProgram(QStringLiteral(QUILVAR_XLS_READER_PATH)), true);

} // namespace
