// Tests reset what they touch in the prefix's registry: these guards put a
// key tree or a single value back as it was when the guard was made.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Moves a whole key tree aside for the test and brings it back afterwards.
class SavedKeyTree {
public:
    SavedKeyTree(HKEY root, const std::string& subkey)
        : m_root(root), m_subkey(subkey), m_saved("Software\\ZemaTestSaved\\" + Leaf(subkey))
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_saved.c_str());
        m_existed = CopyTree(m_root, m_subkey, HKEY_CURRENT_USER, m_saved);
        ::RegDeleteTreeA(m_root, m_subkey.c_str());
    }
    ~SavedKeyTree()
    {
        ::RegDeleteTreeA(m_root, m_subkey.c_str());
        if (m_existed)
            CopyTree(HKEY_CURRENT_USER, m_saved, m_root, m_subkey);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZemaTestSaved");
    }

private:
    static std::string Leaf(const std::string& subkey)
    {
        return subkey.substr(subkey.find_last_of('\\') + 1);
    }
    static bool CopyTree(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to)
    {
        HKEY source = nullptr;
        if (::RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS)
            return false;
        HKEY target = nullptr;
        bool copied = ::RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                        &target, nullptr) == ERROR_SUCCESS;
        if (copied) {
            copied = ::RegCopyTreeA(source, nullptr, target) == ERROR_SUCCESS;
            ::RegCloseKey(target);
        }
        ::RegCloseKey(source);
        return copied;
    }

    HKEY m_root;
    std::string m_subkey;
    std::string m_saved;
    bool m_existed = false;
};

// Sets one value for the test (or removes it) and restores it, its key
// included, afterwards.
class SavedValue {
public:
    SavedValue(HKEY root, const std::string& subkey, const std::string& name)
        : m_root(root), m_subkey(subkey), m_name(name)
    {
        HKEY key = nullptr;
        m_keyExisted = ::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!m_keyExisted)
            return;
        DWORD size = 0;
        if (::RegQueryValueExA(key, name.c_str(), nullptr, &m_type, nullptr, &size) ==
            ERROR_SUCCESS) {
            m_data.resize(size);
            m_valueExisted = ::RegQueryValueExA(key, name.c_str(), nullptr, &m_type, m_data.data(),
                                                &size) == ERROR_SUCCESS;
        }
        ::RegCloseKey(key);
    }
    ~SavedValue()
    {
        if (!m_keyExisted) {
            ::RegDeleteTreeA(m_root, m_subkey.c_str());
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExA(m_root, m_subkey.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            return;
        if (m_valueExisted)
            ::RegSetValueExA(key, m_name.c_str(), 0, m_type, m_data.data(), DWORD(m_data.size()));
        else
            ::RegDeleteValueA(key, m_name.c_str());
        ::RegCloseKey(key);
    }

    bool Set(const std::string& text) const
    {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(m_root, m_subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return false;
        bool set = ::RegSetValueExA(key, m_name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text.c_str()),
                                    DWORD(text.size() + 1)) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return set;
    }
    void Remove() const
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(m_root, m_subkey.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            return;
        ::RegDeleteValueA(key, m_name.c_str());
        ::RegCloseKey(key);
    }

private:
    HKEY m_root;
    std::string m_subkey;
    std::string m_name;
    bool m_keyExisted = false;
    bool m_valueExisted = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_data;
};
