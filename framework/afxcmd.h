// CCmdTarget: the root of everything that has a message map.
#pragma once
#include "framework/afxmsg.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of the command (or control notification) id/code;
    // FALSE when no map in the chain has one.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

    void BeginWaitCursor();
    void EndWaitCursor();

    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry of this object's map chain for the message, the
    // notification code and the id; null when there is none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;

private:
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
};
