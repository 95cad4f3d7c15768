#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// A UTF-16 literal as a QString: the tests' tables hold Chinese texts as char16_t literals.
inline QString q(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// GoogleTest shows a failed comparison of texts as the texts, not as the bytes of the objects.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i ? ", " : "");
        PrintTo(texts.at(i), out);
    }
    *out << '}';
}
