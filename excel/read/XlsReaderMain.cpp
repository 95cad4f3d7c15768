// quilvar-xls-reader PATH MAX_ROWS MAX_COLUMNS [FIRST_ROW]
// Reads the first worksheet of a legacy .xls workbook and writes the cells, or why they could not be
// read, to standard output (excel/read/XlsReaderOutput.h). The reading runs here, apart from the program
// and under the limits the program sets, so that whatever a hostile file does ends only this process.
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/XlsReaderOutput.h"
#include "excel/read/XlsWorkbook.h"

#include "common/BulkOutput.h"
#include "common/OneJob.h"
#include "common/ProcessArguments.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>

namespace {

// A limit from the command line: a whole number from 0 to max.
bool parseLimit(const char *argument, int max, int *value)
{
    bool ok = false;
    const int parsed = QByteArray(argument).toInt(&ok);
    if (!ok || parsed < 0 || parsed > max)
        return false;
    *value = parsed;
    return true;
}

XlsReaderResult readFile(const QString &path, const ReadLimits &limits, const XlsCellSink &sink)
{
    XlsReaderResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = {WorkbookError::Kind::FileAccess,
                        QStringLiteral("无法打开文件：没有读取的权限，或文件正被其它程序独占。")};
        return result;
    }
    // The whole workbook stream is held in memory here, so the file's size is bounded first.
    constexpr qint64 MaxFileSize = 100 * 1024 * 1024;
    // Asked once: the mapping and the view of it must agree even if the file grows meanwhile.
    const qint64 size = file.size();
    if (size > MaxFileSize) {
        result.error = {
            WorkbookError::Kind::OverBudget,
            QStringLiteral("文件过大（超过 %1），不像是报价单工作簿。").arg(ReadBudget::sizeText(MaxFileSize))};
        return result;
    }
    // Mapped rather than read: the pages come from the file cache as the reading reaches them.
    if (const uchar *mapped = size > 0 ? file.map(0, size) : nullptr)
        return ReadXlsWorkbook(QByteArrayView(mapped, size), limits, sink);
    return ReadXlsWorkbook(file.read(size), limits, sink);
}

} // namespace

int main(int argc, char **argv)
{
    PrepareBulkOutput(stdout);
    PrepareHeapForOneJob();
    ReadLimits limits;
    if (argc < 4 || argc > 5 || !parseLimit(argv[2], 1 << 20, &limits.maxRows) ||
        !parseLimit(argv[3], 1 << 16, &limits.maxColumns) ||
        (argc == 5 && !parseLimit(argv[4], 1 << 20, &limits.firstRow))) {
        std::fputs("用法：quilvar-xls-reader 文件 最多行数 最多列数 [首行]\n", stderr);
        return 2;
    }

    // The cells are written only once the reading is over, as the reading hands them over: a crash on
    // the way leaves no output that could pass as a result. The pieces go straight out (no
    // buffering of our own), the program reading as they come.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    XlsReaderOutput::Encoder out([](QByteArrayView piece) {
        return std::fwrite(piece.data(), 1, size_t(piece.size()), stdout) == size_t(piece.size());
    });
    const XlsCellSink sink{
        [&out](qsizetype count) { out.begin(count); },
        [&out](int row, int column, QStringView text, bool shared) { out.cell(row, column, text, shared); }};
    // The path as the program passed it, whatever its script (argv on Windows holds it in the ANSI
    // code page, which has no room for most names).
    XlsReaderResult result = readFile(ProcessArguments(argc, argv).value(0), limits, sink);
    if (!result.ok && result.error.text.isEmpty())
        result.error = {WorkbookError::Kind::Damaged, ReadText::damaged()};
    const bool written = result.ok ? out.end(result.textBeyond) : out.fail(result.error);
    if (!written || std::fflush(stdout) != 0)
        return 3;
    EndOneJob(result.ok ? 0 : 1); // the texts go with the process
    return result.ok ? 0 : 1;
}
