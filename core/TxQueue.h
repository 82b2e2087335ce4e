#pragma once

// One element of a _txQueue: the value it carries and the next element.
class QueuedObject {
public:
    explicit QueuedObject(void *value) : m_value(value), m_next(nullptr) {}
    virtual ~QueuedObject() {}

    void *m_value;
    QueuedObject *m_next;
};

// First-in-first-out queue of pointer values. It owns its elements, not the values.
class _txQueue {
public:
    _txQueue() : m_head(nullptr), m_tail(nullptr) {}
    virtual ~_txQueue();
    _txQueue(const _txQueue &) = delete;
    _txQueue &operator=(const _txQueue &) = delete;

    // Leaves the queue unchanged when no element can be allocated.
    void push(void *value);
    bool hasObjects() const { return m_head != nullptr; }
    // The oldest value, or null when the queue is empty.
    void *pop();
    void discardFirst();

    const QueuedObject *head() const { return m_head; }
    const QueuedObject *tail() const { return m_tail; }

private:
    QueuedObject *m_head;
    QueuedObject *m_tail;
};
