#include "framework/afxmt.h"

CSyncObject::~CSyncObject()
{
    if (m_hObject)
        ::CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD timeout)
{
    DWORD result = ::WaitForSingleObject(m_hObject, timeout);
    // An abandoned mutex is still owned by the caller now.
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

CMutex::CMutex(BOOL initiallyOwn, LPCSTR name)
{
    m_hObject = ::CreateMutexA(nullptr, initiallyOwn, name);
}

BOOL CMutex::Unlock()
{
    return ::ReleaseMutex(m_hObject);
}

CCriticalSection::CCriticalSection()
{
    ::InitializeCriticalSection(&m_section);
}

CCriticalSection::~CCriticalSection()
{
    ::DeleteCriticalSection(&m_section);
}

BOOL CCriticalSection::Lock(DWORD)
{
    ::EnterCriticalSection(&m_section);
    return TRUE;
}

BOOL CCriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_section);
    return TRUE;
}

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : m_pObject(object)
{
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeout)
{
    if (!m_bAcquired)
        m_bAcquired = m_pObject->Lock(timeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}
