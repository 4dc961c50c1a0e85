#include "gui/widgets/maker_link.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "core/text/maker.h"

void OpenMakerWebAddress() { QDesktopServices::openUrl(QUrl(QString::fromUtf8(kMakerUrl))); }
