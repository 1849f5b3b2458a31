#include "system/ProgressRecorder.h"

#include <QDBusConnection>

namespace vortan::systest {

ProgressRecorder::ProgressRecorder(const std::string& server) {
    QDBusConnection::sessionBus().connect(
        QString::fromStdString(server), QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("ZEPH.VORTAN.Application"), QStringLiteral("Progress"), this,
        SLOT(OnProgress(QString, QString, int)));
}

void ProgressRecorder::OnProgress(const QString& caption, const QString& status, int percent) {
    reports.push_back(Report{caption, status, percent});
}

} // namespace vortan::systest
