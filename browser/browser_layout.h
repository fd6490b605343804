// How a browser's controls follow its window when it is maximised and
// restored: a table of the controls that grow, measured once against the
// dialog template's places, and the button row kept at the bottom right.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

enum class Follow {
    Stretch,        // right and bottom edges keep their distance from the client's
    LengthenToRow,  // keeps its width; the bottom edge stays on the button row's line
};

struct LayoutRule {
    UINT id;
    Follow follow;
};

class BrowserLayout {
public:
    // A window of fixed size: nothing to measure, nothing moves.
    BrowserLayout() = default;
    // The button row is given from right to left, the rightmost first: it
    // keeps its distance from the client's bottom and ends under the right
    // edge of the stretching control; the others take its size and stand one
    // pixel apart.
    BrowserLayout(std::initializer_list<LayoutRule> rules, std::initializer_list<UINT> buttonRow);

    // Reads the template's places and puts the controls where the layout
    // wants them: a list the template ends on the buttons' line may have
    // been rounded a pixel off it.
    void Measure(HWND dialog);
    // Does nothing before Measure.
    void Apply(HWND dialog) const;

private:
    struct Margins {
        int right;
        int bottom;
    };
    Margins MarginsOf(HWND dialog, UINT id) const;

    std::vector<LayoutRule> m_rules;
    std::vector<UINT> m_buttonRow;
    std::vector<Margins> m_ruleMargins;
    Margins m_rowMargins = { 0, 0 };
    bool m_measured = false;
};
