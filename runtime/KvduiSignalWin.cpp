#include "runtime/KvduiSignal.h"

#include <windows.h>

TKvduiSignal::TKvduiSignal() {
    if (HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr))
        m_read = reinterpret_cast<std::intptr_t>(event);
}

TKvduiSignal::~TKvduiSignal() {
    if (Valid())
        ::CloseHandle(reinterpret_cast<HANDLE>(m_read));
}

bool TKvduiSignal::Valid() const {
    return m_read != -1 && m_read != 0;
}

void TKvduiSignal::Raise() {
    if (!m_raised && Valid())
        m_raised = ::SetEvent(reinterpret_cast<HANDLE>(m_read)) != 0;
}

void TKvduiSignal::Clear() {
    if (m_raised && Valid())
        m_raised = ::ResetEvent(reinterpret_cast<HANDLE>(m_read)) == 0;
}

std::intptr_t TKvduiSignal::Handle() const {
    return m_read;
}
