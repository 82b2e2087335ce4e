#include "core/TxQueue.h"

#include <new>

_txQueue::~_txQueue() {
    // The values belong to whoever pushed them; only the elements are ours.
    while (m_head != nullptr) discardFirst();
}

void _txQueue::push(void *value) {
    QueuedObject *element = new (std::nothrow) QueuedObject(value);
    if (element == nullptr) return;
    if (m_tail == nullptr) {
        m_head = element;
        m_tail = element;
    } else {
        m_tail->m_next = element;
        m_tail = element;
    }
}

void *_txQueue::pop() {
    QueuedObject *element = m_head;
    if (element == nullptr) return nullptr;
    m_head = element->m_next;
    if (m_head == nullptr) m_tail = nullptr;
    void *value = element->m_value;
    delete element;
    return value;
}

void _txQueue::discardFirst() { pop(); }
