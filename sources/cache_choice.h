// The caches the user has and which of them the scan reads: those found on
// this machine (the Internet cache and every browser profile's), then the
// folders the user added; each checked or not. Every found cache is checked
// until the user unchecks it. The added folders and the unchecked ones are
// kept in the settings store, by folder.
#pragma once
#include "sources/cache_source.h"

#include <string>
#include <vector>

class CCacheChoice {
public:
    struct Row {
        ChosenCache cache;
        bool checked = true;
    };

    // Finds the caches of this machine and applies the kept choice to them.
    void Load();
    // As Load, on caches found elsewhere.
    void Load(const std::vector<ChosenCache>& found);
    // Keeps the added folders and the check marks; false when the settings
    // store could not take them.
    bool Save() const;

    const std::vector<Row>& Rows() const { return m_rows; }
    void SetChecked(size_t row, bool checked);
    // Adds a cache the user chose (checked); false when its folder is listed
    // already or the user has added as many as are kept.
    bool Add(const ChosenCache& cache);
    // Removes an added folder; a found cache stays.
    bool Remove(size_t row);

    std::vector<ChosenCache> CheckedCaches() const;
    bool Lists(const std::string& folder) const;

private:
    std::vector<Row> m_rows;
};

// The found caches of this machine: the Internet cache, then the browsers'.
std::vector<ChosenCache> FindUserCaches();
// A folder the user picked, as a cache of the kind it holds; false (and a
// sentence for the user) when it holds none the viewer reads.
bool RecogniseCacheFolder(const std::string& folder, ChosenCache& cache, std::string& refusal);
