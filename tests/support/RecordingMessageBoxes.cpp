#include "support/RecordingMessageBoxes.h"

namespace vortan::test {

RecordingMessageBoxes::RecordingMessageBoxes(int answer)
    : m_answer(answer), m_previous(vortan::ui::SetMessageBoxService(this)) {}

RecordingMessageBoxes::~RecordingMessageBoxes() {
    vortan::ui::SetMessageBoxService(m_previous);
}

int RecordingMessageBoxes::Show(const vortan::ui::MessageBoxRequest& request) {
    shown.push_back(request);
    return m_answer;
}

} // namespace vortan::test
