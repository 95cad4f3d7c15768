#include "excel/read/ZipArchive.h"

#include "excel/read/ZipPath.h"

#include "excel/read/ReadBudget.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"

#include <QFile>

#include <zip.h>

ZipArchive::~ZipArchive()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipArchive::looksLikeZip(const QByteArray &data)
{
    return data.startsWith("PK\x03\x04") || data.startsWith("PK\x05\x06");
}

bool ZipArchive::open(const QByteArray &data, WorkbookError *error)
{
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *source = zip_source_buffer_create(data.constData(), zip_uint64_t(data.size()), 0, &zipError);
    if (source) {
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &zipError);
        if (!m_archive)
            zip_source_free(source);
    }
    zip_error_fini(&zipError);
    if (!m_archive)
        return WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::incompleteZip());
    return true;
}

bool ZipArchive::openFile(const QString &path, WorkbookError *error)
{
    int code = 0;
    m_archive = zip_open(ZipPath(path).constData(), ZIP_RDONLY, &code);
    if (!m_archive && (code == ZIP_ER_OPEN || code == ZIP_ER_READ))
        return WorkbookError::fail(error, WorkbookError::Kind::FileAccess,
                                   QStringLiteral("无法打开文件“%1”。").arg(path));
    if (!m_archive)
        return WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::incompleteZip());
    return true;
}

qint64 ZipArchive::locate(const QString &name) const
{
    if (!m_archive || name.isEmpty())
        return -1;
    const zip_int64_t index = zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index >= 0 || !name.contains(QLatin1Char('/')))
        return index;
    // Some writers store the folders of entry names with backslashes; spreadsheet programs read them.
    QString windowsName = name;
    windowsName.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return zip_name_locate(m_archive, windowsName.toUtf8().constData(), ZIP_FL_NOCASE);
}

bool ZipArchive::contains(const QString &name) const
{
    return locate(name) >= 0;
}

zip_file *ZipArchive::openEntry(const QString &name, WorkbookError *error) const
{
    const qint64 index = locate(name);
    if (index < 0) {
        WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                            QStringLiteral("工作簿已损坏：缺少部件“%1”。").arg(name));
        return nullptr;
    }
    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_archive));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            WorkbookError::fail(error, WorkbookError::Kind::Encrypted, WorkbookError::encryptedText());
        else
            WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::cannotInflatePart(name));
    }
    return file;
}

qint64 ZipArchive::readSome(zip_file *entry, char *buffer, qint64 size)
{
    const zip_int64_t got = zip_fread(entry, buffer, zip_uint64_t(size));
    return got < 0 ? -1 : qint64(got);
}

void ZipArchive::closeEntry(zip_file *entry)
{
    if (entry)
        zip_fclose(entry);
}

bool ZipArchive::readEntry(const QString &name, qint64 limit, QByteArray *content, WorkbookError *error) const
{
    content->clear();
    zip_file_t *file = openEntry(name, error);
    if (!file)
        return false;
    constexpr qsizetype Chunk = 65536;
    for (;;) {
        // Grows with what really comes out, never with a size the archive claims. One byte past
        // the limit is asked for, so that an entry of exactly the limit still passes.
        const qsizetype before = content->size();
        const qsizetype wanted = qsizetype(qMin<qint64>(Chunk, limit + 1 - before));
        if (wanted <= 0)
            break;
        content->resize(before + wanted);
        const qint64 got = readSome(file, content->data() + before, wanted);
        content->resize(before + qsizetype(qMax<qint64>(got, 0)));
        if (got < 0) {
            zip_fclose(file);
            content->clear();
            return WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::cannotInflatePart(name));
        }
        if (got == 0)
            break;
    }
    zip_fclose(file);
    if (content->size() > limit) {
        content->clear();
        return WorkbookError::fail(
            error, WorkbookError::Kind::OverBudget,
            QStringLiteral("工作簿的部件“%1”过大（解压后超过 %2），不予读取。").arg(name, ReadBudget::sizeText(limit)));
    }
    return true;
}
