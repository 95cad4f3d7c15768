#include "common/ConsoleOutput.h"

ConsoleOutput::ConsoleOutput(FILE *stream) : m_stream(stream), m_console(IsConsole(stream))
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ConsoleOutput::writeData(const char *data, qint64 size)
{
    if (m_console) {
        // The decoder keeps a character cut between two writes until its rest arrives.
        const QString text = m_decoder.decode(QByteArrayView(data, size));
        WriteToConsole(m_stream, text);
        return size;
    }
    const size_t written = std::fwrite(data, 1, size_t(size), m_stream);
    std::fflush(m_stream);
    return written == size_t(size) ? size : -1;
}
