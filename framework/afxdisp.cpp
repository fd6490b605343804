#include "framework/afxdisp.h"

COleDateTime::COleDateTime(const SYSTEMTIME& time)
{
    m_valid = ::SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&time), &m_dt) != FALSE;
}

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return COleDateTime(now);
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    return m_valid && ::VariantTimeToSystemTime(m_dt, &time) != FALSE;
}

int COleDateTime::GetYear() const
{
    SYSTEMTIME time;
    return GetAsSystemTime(time) ? time.wYear : -1;
}

int COleDateTime::GetMonth() const
{
    SYSTEMTIME time;
    return GetAsSystemTime(time) ? time.wMonth : -1;
}

int COleDateTime::GetDay() const
{
    SYSTEMTIME time;
    return GetAsSystemTime(time) ? time.wDay : -1;
}
