// Synchronisation objects: a mutex and the scoped lock that takes it.
#pragma once
#include <windows.h>

class CSyncObject {
public:
    virtual ~CSyncObject();
    virtual BOOL Lock(DWORD timeout = INFINITE);
    virtual BOOL Unlock() = 0;
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr;

protected:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
};

class CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCSTR name = nullptr);
    BOOL Unlock() override;
};

// A lock within one process: no kernel object, so taking a free one costs
// no system call. Lock waits however long it takes.
class CCriticalSection : public CSyncObject {
public:
    CCriticalSection();
    ~CCriticalSection() override;
    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override;

private:
    CRITICAL_SECTION m_section;
};

// Holds a lock on a synchronisation object for its own lifetime, or between
// Lock and Unlock.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock();
    BOOL Lock(DWORD timeout = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
