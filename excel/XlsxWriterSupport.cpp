#include "excel/XlsxWriterSupport.h"

#include "excel/CNumericLocale.h"
#include "excel/ExcelTexts.h"
#include "excel/NarrowPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryDir>

QString XlsxWriterMessage(lxw_error code)
{
    switch (code) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return ExcelText::outOfMemory();
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("有单元格的文字超过 32767 个字符，Excel 不能保存。");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("无法创建临时文件（磁盘已满或没有写入权限）。");
    default:
        // The writer's own texts are English; its code is kept for whoever looks into it.
        return QStringLiteral("写入工作簿时出错（写入库的错误 %1）。").arg(int(code));
    }
}

lxw_worksheet *AddA4Worksheet(lxw_workbook *workbook, const char *name)
{
    constexpr uint8_t A4 = 9;
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, name);
    if (sheet)
        worksheet_set_paper(sheet, A4);
    return sheet;
}

namespace {

// A private folder for the writer's file and its scratch files, in a place whose name the writer's
// narrow file calls can open on every system (excel/NarrowPath.h); removed with everything in it.
class XlsxScratch
{
public:
    XlsxScratch() : m_dir(NarrowScratchBase() + QStringLiteral("/quilvar-XXXXXX")) {}
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString workbookPath() const { return m_dir.filePath(QStringLiteral("quote.xlsx")); }

private:
    QTemporaryDir m_dir;
};

// The writer's workbook, written to the scratch folder's file with its scratch files beside it;
// closed (and so thrown away) when a failure leaves it before close(). Null when the writer cannot
// start.
class XlsxWriterWorkbook
{
public:
    explicit XlsxWriterWorkbook(const XlsxScratch &scratch)
    {
        const QByteArray file = NarrowPath(scratch.workbookPath());
        QByteArray folder = NarrowPath(scratch.path());
        if (file.isEmpty() || folder.isEmpty())
            return;
        lxw_workbook_options options{};
        options.tmpdir = folder.data(); // copied by the writer
        m_workbook = workbook_new_opt(file.constData(), &options);
    }
    ~XlsxWriterWorkbook()
    {
        if (m_workbook)
            workbook_close(m_workbook); // only after a failure: the half-written file is thrown away
    }
    lxw_workbook *get() const { return m_workbook; }
    lxw_error close()
    {
        lxw_workbook *workbook = m_workbook;
        m_workbook = nullptr;
        return workbook_close(workbook);
    }

private:
    lxw_workbook *m_workbook = nullptr;
};

// The one failure the planner mends by closing a window, in the same words wherever it is found;
// `quotedName` is empty where the message names the file already.
QString heldOpenText(const QString &quotedName)
{
    return QStringLiteral("文件%1正被其它程序（如 Excel、WPS）打开，请关闭后再导出。").arg(quotedName);
}

// The message for a target that another program holds open, empty when none does.
QString heldOpenMessage(const QString &path)
{
    if (!IsHeldOpenElsewhere(path))
        return {};
    return heldOpenText(QStringLiteral("“%1”").arg(QDir::toNativeSeparators(path)));
}

// Why path could not be written, in Chinese, from what can be seen of it and its folder.
QString writeFailureReason(const QString &path, QFileDevice::FileError error)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.exists())
        return QStringLiteral("文件夹“%1”不存在。").arg(folderName);
    if (!folder.isDir())
        return QStringLiteral("“%1”不是文件夹。").arg(folderName);
    if (target.isDir())
        return QStringLiteral("这是一个文件夹的名字。");
    if (IsHeldOpenElsewhere(path))
        return heldOpenText(QString());
    if (target.exists() && !target.isWritable())
        return QStringLiteral("文件是只读的，或没有写入它的权限。");
    if (!folder.isWritable())
        return QStringLiteral("没有在文件夹“%1”中写入的权限。").arg(folderName);
    const QStorageInfo storage(folder.absoluteFilePath());
    if (storage.isValid() && storage.bytesAvailable() < 1024 * 1024)
        return QStringLiteral("磁盘空间不足。");
    switch (error) {
    case QFileDevice::PermissionsError:
        return QStringLiteral("没有写入的权限。");
    case QFileDevice::ResourceError:
        return QStringLiteral("磁盘空间或系统资源不足。");
    case QFileDevice::OpenError:
        return QStringLiteral("无法打开文件（可能正被其它程序使用）。");
    default:
        return QStringLiteral("写入文件时出错。");
    }
}

// Puts the file the writer finished at scratchPath in place of path in one step. False with the
// reason otherwise.
bool replaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error)
{
    QFile written(scratchPath);
    if (!written.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取刚写好的临时文件。");
        return false;
    }
    const QByteArray bytes = written.readAll();
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit()) {
        *error = writeFailureReason(path, target.error());
        return false;
    }
    return true;
}

} // namespace

QString WriteXlsxReplacing(const QString &path, const std::function<QString(lxw_workbook *)> &fill, bool *heldOpen)
{
    const QString held = heldOpenMessage(path);
    *heldOpen = !held.isEmpty();
    if (*heldOpen)
        return held;
    const XlsxScratch scratch;
    if (!scratch.isValid())
        return ExcelText::cannotCreateScratchFolder();
    {
        const CNumericLocale numbersWithPoint;
        XlsxWriterWorkbook workbook(scratch);
        if (!workbook.get())
            return ExcelText::cannotCreateWorkbook();
        const QString filled = fill(workbook.get());
        if (!filled.isEmpty())
            return filled;
        const lxw_error closed = workbook.close();
        if (closed != LXW_NO_ERROR)
            return XlsxWriterMessage(closed);
    }
    QString replaceError;
    return replaceWithWrittenFile(scratch.workbookPath(), path, &replaceError) ? QString() : replaceError;
}
