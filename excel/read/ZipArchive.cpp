#include "excel/read/ZipArchive.h"

#include "excel/read/ZipPath.h"

#include "excel/read/Crc32.h"
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"

#include <QFile>

#include <algorithm>
#include <memory>

#include <zip.h>
#include <zlib.h>

// An entry being read. One deflated or stored, as workbooks hold their parts, is read raw and
// inflated here, its CRC checked by Crc32, several times as fast as the zlib CRC libzip checks by;
// any other (another method, an encrypted entry) libzip reads whole as it comes.
class ZipEntry
{
public:
    explicit ZipEntry(zip_file_t *file) : m_file(file) {}
    ZipEntry(zip_file_t *raw, const zip_stat_t &stat)
        : m_file(raw), m_raw(true), m_deflated(stat.comp_method == ZIP_CM_DEFLATE), m_size(stat.size),
          m_crc(quint32(stat.crc))
    {
    }
    ~ZipEntry()
    {
        if (m_inflating)
            inflateEnd(&m_stream);
        zip_fclose(m_file);
    }
    ZipEntry(const ZipEntry &) = delete;
    ZipEntry &operator=(const ZipEntry &) = delete;

    bool start()
    {
        if (!m_deflated)
            return true;
        m_input = std::make_unique<char[]>(InputSize);
        m_inflating = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; // raw deflate, as zip holds it
        return m_inflating;
    }

    qint64 read(char *buffer, qint64 size)
    {
        if (!m_raw)
            return fromLibzip(buffer, size);
        const qint64 got = m_deflated ? inflated(buffer, size) : fromLibzip(buffer, size);
        if (got > 0) {
            m_read += quint64(got);
            m_running = Crc32(m_running, buffer, got);
            return m_read <= m_size ? got : -1; // more than the directory says it holds
        }
        return got == 0 && m_read == m_size && m_running == m_crc ? 0 : -1;
    }

private:
    static constexpr qint64 InputSize = 65536;

    // What libzip gives: the entry as it decompresses, or a raw one's bytes; -1 when it fails.
    qint64 fromLibzip(char *buffer, qint64 size)
    {
        const zip_int64_t got = zip_fread(m_file, buffer, zip_uint64_t(size));
        return got < 0 ? -1 : qint64(got);
    }

    // Some bytes of the entry, 0 at the end of its deflated stream, -1 when damaged or cut off.
    qint64 inflated(char *buffer, qint64 size)
    {
        if (m_ended)
            return 0;
        m_stream.next_out = reinterpret_cast<Bytef *>(buffer);
        m_stream.avail_out = uInt(std::min<qint64>(size, 1 << 30));
        const uInt room = m_stream.avail_out;
        for (;;) {
            if (m_stream.avail_in == 0 && !m_inputEnded) {
                const qint64 got = fromLibzip(m_input.get(), InputSize);
                if (got < 0)
                    return -1;
                m_inputEnded = got == 0;
                m_stream.next_in = reinterpret_cast<Bytef *>(m_input.get());
                m_stream.avail_in = uInt(got);
            }
            const int status = inflate(&m_stream, Z_NO_FLUSH);
            const qint64 produced = qint64(room - m_stream.avail_out);
            if (status == Z_STREAM_END)
                m_ended = true;
            else if (status != Z_OK && status != Z_BUF_ERROR)
                return -1; // not deflate, or a preset dictionary, which zip never uses
            if (produced > 0 || m_ended)
                return produced;
            // Nothing came of what is there: the stream was cut off.
            if (status == Z_BUF_ERROR && (m_inputEnded || m_stream.avail_in > 0))
                return -1;
        }
    }

    zip_file_t *m_file;
    bool m_raw = false;
    bool m_deflated = false;
    bool m_inflating = false;
    bool m_inputEnded = false;
    bool m_ended = false;
    quint64 m_size = 0; // as the archive's directory gives them
    quint32 m_crc = 0;
    quint64 m_read = 0;
    quint32 m_running = 0;
    z_stream m_stream{};
    std::unique_ptr<char[]> m_input;
};

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

ZipEntry *ZipArchive::openEntry(const QString &name, WorkbookError *error) const
{
    const qint64 index = locate(name);
    if (index < 0) {
        WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                            QStringLiteral("工作簿已损坏：缺少部件“%1”。").arg(name));
        return nullptr;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    constexpr zip_uint64_t Needed = ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    const bool raw = zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) == 0 && (stat.valid & Needed) == Needed &&
                     stat.encryption_method == ZIP_EM_NONE &&
                     (stat.comp_method == ZIP_CM_DEFLATE || stat.comp_method == ZIP_CM_STORE);
    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), raw ? ZIP_FL_COMPRESSED : 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_archive));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            WorkbookError::fail(error, WorkbookError::Kind::Encrypted, WorkbookError::encryptedText());
        else
            WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::cannotInflatePart(name));
        return nullptr;
    }
    auto entry = raw ? std::make_unique<ZipEntry>(file, stat) : std::make_unique<ZipEntry>(file);
    if (!entry->start()) {
        WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::cannotInflatePart(name));
        return nullptr;
    }
    return entry.release();
}

qint64 ZipArchive::readSome(ZipEntry *entry, char *buffer, qint64 size)
{
    return entry->read(buffer, size);
}

void ZipArchive::closeEntry(ZipEntry *entry)
{
    delete entry;
}

bool ZipArchive::readEntry(const QString &name, qint64 limit, QByteArray *content, WorkbookError *error) const
{
    content->clear();
    ZipEntry *file = openEntry(name, error);
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
            closeEntry(file);
            content->clear();
            return WorkbookError::fail(error, WorkbookError::Kind::Damaged, ReadText::cannotInflatePart(name));
        }
        if (got == 0)
            break;
    }
    closeEntry(file);
    if (content->size() > limit) {
        content->clear();
        return WorkbookError::fail(
            error, WorkbookError::Kind::OverBudget,
            QStringLiteral("工作簿的部件“%1”过大（解压后超过 %2），不予读取。").arg(name, ReadBudget::sizeText(limit)));
    }
    return true;
}
