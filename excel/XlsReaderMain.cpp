// quilvar-xls-reader PATH MAX_ROWS MAX_COLUMNS
// Reads the first worksheet of a legacy .xls workbook with freexl and writes the cells, or why they
// could not be read, to standard output (excel/XlsReaderOutput.h). freexl runs here, apart from the
// program, because a hostile file can make it overrun its memory; a crash ends only this process.
#include "excel/CellText.h"
#include "excel/XlsReaderOutput.h"

#include <QByteArray>
#include <QFile>

#include <freexl.h>

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

QString freexlMessage(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足，无法读取工作簿。");
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("找不到文件，或文件无法打开。");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("文件中没有 Excel 97-2003 工作簿（可能是加密的或其它程序的文档）。");
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("工作簿的文字编码无法识别。");
    default:
        return QStringLiteral("工作簿已损坏，无法读取（错误 %1）。").arg(code);
    }
}

class XlsHandle
{
public:
    ~XlsHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void **address() { return &m_handle; }
    const void *get() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

// The cells come in row-major order; empty ones are left out.
bool readWithFreexl(const QString &path, const ReadLimits &limits, QList<XlsCell> *cells, QString *error)
{
    cells->clear();
    XlsHandle handle;
    int result = freexl_open(QFile::encodeName(path).constData(), handle.address());
    if (result != FREEXL_OK) {
        *error = freexlMessage(result);
        return false;
    }
    unsigned int password = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        *error = QStringLiteral("工作簿有密码保护，无法读取。");
        return false;
    }
    unsigned int sheets = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        *error = QStringLiteral("工作簿中没有工作表。");
        return false;
    }
    result = freexl_select_active_worksheet(handle.get(), 0);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (result == FREEXL_OK)
        result = freexl_worksheet_dimensions(handle.get(), &rows, &columns);
    if (result != FREEXL_OK) {
        *error = freexlMessage(result);
        return false;
    }
    const unsigned int lastRow = std::min<unsigned int>(rows, unsigned(limits.maxRows));
    const unsigned short lastColumn = std::min<unsigned short>(columns, (unsigned short)(limits.maxColumns));
    for (unsigned int r = 0; r < lastRow; ++r) {
        for (unsigned short c = 0; c < lastColumn; ++c) {
            FreeXL_CellValue value;
            result = freexl_get_cell_value(handle.get(), r, c, &value);
            if (result != FREEXL_OK) {
                *error = freexlMessage(result);
                return false;
            }
            QString text;
            switch (value.type) {
            case FREEXL_CELL_INT:
                text = CellText::fromNumber(double(value.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                text = CellText::fromNumber(value.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                // Dates and times come as ISO texts already (2024-05-01 08:30:00).
                if (value.value.text_value)
                    text = QString::fromUtf8(value.value.text_value);
                break;
            default:
                break;
            }
            if (!text.isEmpty())
                cells->append({int(r) + 1, int(c) + 1, text});
        }
    }
    return true;
}

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

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    ReadLimits limits;
    if (argc != 4 || !parseLimit(argv[2], 1 << 20, &limits.maxRows) ||
        !parseLimit(argv[3], 1 << 16, &limits.maxColumns)) {
        std::fputs("用法：quilvar-xls-reader 文件 最多行数 最多列数\n", stderr);
        return 2;
    }

    XlsReaderResult result;
    result.ok = readWithFreexl(QFile::decodeName(argv[1]), limits, &result.cells, &result.error);
    if (!result.ok && result.error.isEmpty())
        result.error = QStringLiteral("工作簿已损坏，无法读取。");
    // Written only once freexl is closed: a crash on the way leaves no output that could pass as a result.
    const QByteArray output = XlsReaderOutput::encode(result);
    if (std::fwrite(output.constData(), 1, size_t(output.size()), stdout) != size_t(output.size()) ||
        std::fflush(stdout) != 0)
        return 3;
    return result.ok ? 0 : 1;
}
