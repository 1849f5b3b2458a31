#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace vortan::client {

// Receives the server's Progress signals for a DispatchObject and hands them on.
class ProgressReceiver final : public QObject {
    Q_OBJECT

public:
    explicit ProgressReceiver(std::function<void(const QString&, const QString&, int)> handler)
        : m_handler(std::move(handler)) {}

public slots:
    void OnProgress(const QString& caption, const QString& status, int percent) {
        if (m_handler)
            m_handler(caption, status, percent);
    }

private:
    std::function<void(const QString&, const QString&, int)> m_handler;
};

} // namespace vortan::client
