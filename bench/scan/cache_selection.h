// The benchmark's hold on the prefix's settings: the cache the next scan
// reads, chosen through the Caches window's own record (the added folders
// and the check marks), and the content types the Windows registry gives
// pictures; everything put back as it was at the end.
#pragma once
#include <string>
#include <vector>

class CacheSelection {
public:
    CacheSelection();
    ~CacheSelection();
    CacheSelection(const CacheSelection&) = delete;
    CacheSelection& operator=(const CacheSelection&) = delete;

    // Adds the folder (a browser cache or a WinINet folder) as the user's
    // Add Folder... would and leaves it the only checked cache; false, with
    // the reason, when the viewer does not recognise it.
    bool ReadOnly(const std::string& folder, std::string& problem);

private:
    struct AddedType {
        std::string extension;
        bool keyWasThere = false;
    };
    struct KeptValue {
        std::string name;
        bool present = false;
        std::string text;
    };
    void AddContentType(const char* extension, const char* contentType);
    void RemoveContentType(const AddedType& added);

    bool m_vendorKeyWasThere = false;
    std::vector<KeptValue> m_choice;
    std::vector<AddedType> m_typesAdded;
};
