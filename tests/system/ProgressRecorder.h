#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

namespace vortan::systest {

// Collects the Progress signals one server sends.
class ProgressRecorder final : public QObject {
    Q_OBJECT

public:
    struct Report {
        QString caption;
        QString status;
        int percent = 0;
    };

    explicit ProgressRecorder(const std::string& server);

    std::vector<Report> reports;

public slots:
    void OnProgress(const QString& caption, const QString& status, int percent);
};

} // namespace vortan::systest
