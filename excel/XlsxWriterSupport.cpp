#include "excel/XlsxWriterSupport.h"

#include <QFile>
#include <QSaveFile>

#include <clocale>
#include <locale.h>
#include <string>

struct CNumericLocale::State
{
#if defined(Q_OS_WIN)
    int m_perThread = 0;
    std::string m_previous;
#else
    locale_t m_c = static_cast<locale_t>(0);
    locale_t m_previous = static_cast<locale_t>(0);
#endif
};

CNumericLocale::CNumericLocale() : m_state(std::make_unique<State>())
{
#if defined(Q_OS_WIN)
    m_state->m_perThread = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char *current = std::setlocale(LC_NUMERIC, nullptr);
    m_state->m_previous = current ? current : "C";
    std::setlocale(LC_NUMERIC, "C");
#else
    // newlocale takes the copy over only when it succeeds.
    const locale_t copy = duplocale(uselocale(static_cast<locale_t>(0)));
    m_state->m_c = newlocale(LC_NUMERIC_MASK, "C", copy);
    if (m_state->m_c)
        m_state->m_previous = uselocale(m_state->m_c);
    else if (copy)
        freelocale(copy);
#endif
}

CNumericLocale::~CNumericLocale()
{
#if defined(Q_OS_WIN)
    std::setlocale(LC_NUMERIC, m_state->m_previous.c_str());
    _configthreadlocale(m_state->m_perThread);
#else
    if (m_state->m_c) {
        uselocale(m_state->m_previous);
        freelocale(m_state->m_c);
    }
#endif
}

QString XlsxWriterMessage(lxw_error code)
{
    switch (code) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足。");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("有单元格的文字超过 32767 个字符，Excel 不能保存。");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("无法创建文件（%1）。").arg(QString::fromUtf8(lxw_strerror(code)));
    default:
        return QString::fromUtf8(lxw_strerror(code));
    }
}

bool ReplaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error)
{
    QFile written(scratchPath);
    if (!written.open(QIODevice::ReadOnly)) {
        *error = written.errorString();
        return false;
    }
    const QByteArray bytes = written.readAll();
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit()) {
        *error = target.errorString();
        return false;
    }
    return true;
}
