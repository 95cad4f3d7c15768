#include "common/ProcessArguments.h"

#include <QFile>

QStringList ProcessArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}

QString ProcessArgumentsText(int argc, char **argv)
{
    return ProcessArguments(argc, argv).join(QLatin1Char(' '));
}
