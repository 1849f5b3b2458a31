#pragma once

#include <vector>

#include "platform/ui/IMessageBoxService.h"

namespace vortan::test {

// Records every message box of the process while it lives and answers with `answer`.
class RecordingMessageBoxes final : public vortan::ui::IMessageBoxService {
public:
    explicit RecordingMessageBoxes(int answer = 1)
        : m_answer(answer), m_previous(vortan::ui::SetMessageBoxService(this)) {}
    ~RecordingMessageBoxes() override { vortan::ui::SetMessageBoxService(m_previous); }
    RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
    RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;

    int Show(const vortan::ui::MessageBoxRequest& request) override {
        shown.push_back(request);
        return m_answer;
    }

    std::vector<vortan::ui::MessageBoxRequest> shown;

private:
    int m_answer;
    vortan::ui::IMessageBoxService* m_previous;
};

} // namespace vortan::test
