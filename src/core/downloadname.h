#pragma once

#include <QString>

#include <functional>

// The name a download is saved under: the server's, made safe as a file
// name and made unique as a browser does ("nome (1).zip"). Qt Core only.
namespace DownloadName {

QString unique(const QString &suggested, const std::function<bool(const QString &name)> &taken);

} // namespace DownloadName
