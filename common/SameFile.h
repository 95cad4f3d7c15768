#pragma once

#include <QString>

// Whether two paths name the same file as the file system sees it, not as texts: "." and "..",
// symbolic links, hard links, and a different case where the file system ignores case all lead to
// the same file. A path whose file is not there yet names the same file as another when both lie
// in the same folder under the same name (by the platform's case rule).
bool SameFile(const QString &first, const QString &second);
