#include "app/batch/BatchPaths.h"

#include "app/batch/BatchOptions.h"
#include "common/SameFile.h"
#include "quote/AgencyDetails.h"

#include <QList>

namespace {

struct NamedPath
{
    QLatin1String option;
    QString path;
};

void addGiven(QList<NamedPath> &paths, QLatin1String option, const std::optional<QString> &path)
{
    if (path)
        paths.append({option, *path});
}

} // namespace

bool CheckBatchPaths(const BatchOptions &options, const QString &defaultIniPath, QString *error)
{
    QList<NamedPath> inputs, outputs;
    addGiven(inputs, QLatin1String("--import"), options.importPath);
    const bool documents = options.quotePdf || options.quoteXlsx;
    if (options.query || documents) {
        const QString ini = options.iniPath.value_or(defaultIniPath);
        inputs.append({QLatin1String("--ini"), ini});
        // The letterhead's logo, kept beside the settings file.
        const QString logo = documents ? AgencyLogoPath(ReadAgencyDetails(ini), ini) : QString();
        if (!logo.isEmpty())
            inputs.append({QLatin1String("--ini"), logo});
    }
    addGiven(outputs, QLatin1String("--export"), options.exportPath);
    addGiven(outputs, QLatin1String("--quote-pdf"), options.quotePdf);
    addGiven(outputs, QLatin1String("--quote-xlsx"), options.quoteXlsx);

    for (qsizetype i = 0; i < outputs.size(); ++i) {
        const NamedPath &output = outputs.at(i);
        QList<NamedPath> others = inputs;
        others.append(outputs.mid(0, i));
        for (const NamedPath &other : others) {
            if (SameFile(output.path, other.path)) {
                *error = QStringLiteral("%1 “%2”与 %3 “%4”是同一个文件，写出会覆盖它。没有写出任何文件。")
                             .arg(output.option, output.path, other.option, other.path);
                return false;
            }
        }
    }
    return true;
}
