#include "utility/disk/PSAPIDllInterface.h"

CPSAPIDllInterface& CPSAPIDllInterface::Instance() {
    static CPSAPIDllInterface instance;
    return instance;
}

bool CPSAPIDllInterface::IsUsable() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_tried) {
        m_tried = true;
        bool psapi = m_psapi.Load();
        bool kernel32 = m_kernel32.Load();
        m_usable = psapi && kernel32;
    }
    return m_usable;
}
