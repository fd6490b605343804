#include "tests/win/dialog_template.h"

namespace {

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return static_cast<short>(Read<WORD>()); }
    BYTE Byte() { return Read<BYTE>(); }
    void AlignDword() { m_offset = (m_offset + 3) & ~static_cast<size_t>(3); }

    std::string WideString()
    {
        std::string text;
        for (WORD c = Word(); m_ok && c; c = Word())
            text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }

    // A name that is either 0xFFFF and an ordinal, or a wide string.
    std::string NameOrOrdinal(const char* const* ordinalNames)
    {
        size_t start = m_offset;
        if (Word() != 0xFFFF) {
            m_offset = start;
            std::string name = WideString();
            // Resource compilers store the class of a CONTROL statement as
            // written, in any case.
            for (int i = 0; ordinalNames && ordinalNames[i]; i += 2) {
                if (lstrcmpiA(name.c_str(), ordinalNames[i + 1]) == 0)
                    return ordinalNames[i + 1];
            }
            return name;
        }
        WORD ordinal = Word();
        for (int i = 0; ordinalNames && ordinalNames[i]; i += 2) {
            if (ordinal == static_cast<WORD>(std::stoi(ordinalNames[i], nullptr, 16)))
                return ordinalNames[i + 1];
        }
        return "#" + std::to_string(ordinal);
    }

private:
    template <typename T> T Read()
    {
        T value = 0;
        if (m_offset + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        memcpy(&value, m_data + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return value;
    }

    const BYTE* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_ok = true;
};

const char* const controlClasses[] = { "80",     "Button",   "81",      "Edit", "82",
                                       "Static", "83",       "ListBox", "84",   "ScrollBar",
                                       "85",     "ComboBox", nullptr };

DialogItem ReadItem(TemplateReader& in)
{
    DialogItem item = {};
    in.AlignDword();
    in.Dword();  // help id
    in.Dword();  // extended style
    item.style = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = static_cast<int>(in.Dword());
    item.className = in.NameOrOrdinal(controlClasses);
    item.text = in.NameOrOrdinal(nullptr);
    WORD extra = in.Word();
    for (WORD i = 0; i < extra; ++i)
        in.Byte();
    return item;
}

}  // namespace

bool LoadDialogTemplate(HMODULE module, int id, DialogTemplate& out)
{
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    if (!loaded)
        return false;
    TemplateReader in(static_cast<const BYTE*>(::LockResource(loaded)),
                      ::SizeofResource(module, found));
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return false;
    in.Dword();  // help id
    out.exStyle = in.Dword();
    out.style = in.Dword();
    WORD count = in.Word();
    out.x = in.Short();
    out.y = in.Short();
    out.cx = in.Short();
    out.cy = in.Short();
    in.NameOrOrdinal(nullptr);  // menu
    in.NameOrOrdinal(nullptr);  // window class
    out.title = in.WideString();
    if (out.style & DS_SETFONT) {
        out.pointSize = in.Word();
        in.Word();  // weight
        in.Byte();  // italic
        in.Byte();  // character set
        out.typeface = in.WideString();
    }
    for (WORD i = 0; i < count && in.ok(); ++i)
        out.items.push_back(ReadItem(in));
    return in.ok();
}
