#pragma once

#include <QIODevice>
#include <QStringDecoder>

#include <cstdio>

// A program's standard output or error as a device under a QTextStream that writes UTF-8. Into a
// file or a pipe the UTF-8 goes unchanged (hosts read it so). Into a Windows console it goes as
// wide characters through the console itself, which shows Chinese whatever its code page; the
// console's code page would garble UTF-8 bytes.
class ConsoleOutput : public QIODevice
{
public:
    explicit ConsoleOutput(FILE *stream);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    FILE *m_stream;
    bool m_console;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

// Whether the stream is a console window (never so outside Windows), and the text written to it
// as wide characters.
bool IsConsole(FILE *stream);
void WriteToConsole(FILE *stream, QStringView text);
