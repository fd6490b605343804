#include "browser/browser_layout.h"

namespace {

RECT ChildRect(HWND dialog, UINT id)
{
    RECT rect = {};
    HWND child = ::GetDlgItem(dialog, static_cast<int>(id));
    if (child) {
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

void MoveChild(HWND dialog, UINT id, const RECT& rect)
{
    if (HWND child = ::GetDlgItem(dialog, static_cast<int>(id)))
        ::MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     TRUE);
}

}  // namespace

BrowserLayout::BrowserLayout(std::initializer_list<LayoutRule> rules,
                             std::initializer_list<UINT> buttonRow)
    : m_rules(rules), m_buttonRow(buttonRow)
{}

BrowserLayout::Margins BrowserLayout::MarginsOf(HWND dialog, UINT id) const
{
    RECT client;
    ::GetClientRect(dialog, &client);
    RECT rect = ChildRect(dialog, id);
    return { client.right - rect.right, client.bottom - rect.bottom };
}

void BrowserLayout::Measure(HWND dialog)
{
    m_ruleMargins.clear();
    for (const LayoutRule& rule : m_rules)
        m_ruleMargins.push_back(MarginsOf(dialog, rule.id));
    if (!m_buttonRow.empty())
        m_rowMargins = MarginsOf(dialog, m_buttonRow.front());
    // The row ends under the right edge of the control that stretches: the
    // template puts them on one line, but dialog units may round them a
    // pixel apart.
    for (size_t i = 0; i < m_rules.size(); ++i) {
        if (m_rules[i].follow == Follow::Stretch)
            m_rowMargins.right = m_ruleMargins[i].right;
    }
    // A control the template ends on the buttons' line may round to a pixel
    // off it, as the row's right edge may: it takes the row's bottom margin.
    for (size_t i = 0; i < m_rules.size(); ++i) {
        if (m_rules[i].follow == Follow::LengthenToRow && !m_buttonRow.empty())
            m_ruleMargins[i].bottom = m_rowMargins.bottom;
    }
    m_measured = true;
    Apply(dialog);
}

void BrowserLayout::Apply(HWND dialog) const
{
    if (!m_measured)
        return;
    RECT client;
    ::GetClientRect(dialog, &client);
    for (size_t i = 0; i < m_rules.size(); ++i) {
        RECT rect = ChildRect(dialog, m_rules[i].id);
        if (m_rules[i].follow == Follow::Stretch)
            rect.right = client.right - m_ruleMargins[i].right;
        rect.bottom = client.bottom - m_ruleMargins[i].bottom;
        MoveChild(dialog, m_rules[i].id, rect);
    }
    if (m_buttonRow.empty())
        return;
    RECT first = ChildRect(dialog, m_buttonRow.front());
    const int width = first.right - first.left, height = first.bottom - first.top;
    RECT place;
    place.right = client.right - m_rowMargins.right;
    place.bottom = client.bottom - m_rowMargins.bottom;
    place.left = place.right - width;
    place.top = place.bottom - height;
    MoveChild(dialog, m_buttonRow.front(), place);
    for (size_t i = 1; i < m_buttonRow.size(); ++i) {
        place.right = place.left - 1;
        place.left = place.right - width;
        MoveChild(dialog, m_buttonRow[i], place);
    }
}
