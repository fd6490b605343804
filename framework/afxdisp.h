// COleDateTime: a local date and time as an OLE automation DATE.
#pragma once
#include <windows.h>
#include <oleauto.h>

class COleDateTime {
public:
    COleDateTime() = default;
    explicit COleDateTime(const SYSTEMTIME& time);

    static COleDateTime GetCurrentTime();

    bool GetAsSystemTime(SYSTEMTIME& time) const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;

    DATE m_dt = 0;
    bool m_valid = true;
};
