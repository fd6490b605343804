#include "images/tile_slots.h"

#include <algorithm>
#include <cstring>

int CTileSlots::DefaultSlotCount(size_t tileBytes)
{
    // 24 MB of slots: 580 tiles at the default edge, at least 256 at the
    // largest; a 1920x1200 screen shows about 100 of the default tiles.
    constexpr size_t budget = 24u << 20;
    return static_cast<int>(std::clamp<size_t>(budget / (tileBytes ? tileBytes : 1), 256, 2048));
}

CTileSlots::~CTileSlots()
{
    Destroy();
}

void CTileSlots::Destroy()
{
    m_list.DeleteImageList();
    if (m_staging)
        ::DeleteObject(m_staging);
    m_staging = nullptr;
    m_stagingBits = nullptr;
}

bool CTileSlots::Create(uint32_t edge, int slotCount)
{
    Destroy();
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = static_cast<LONG>(edge);
    format.bmiHeader.biHeight = static_cast<LONG>(edge);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    m_staging = ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_stagingBits = static_cast<uint8_t*>(bits);
    if (!m_staging ||
        !m_list.Create(static_cast<int>(edge), static_cast<int>(edge), ILC_COLOR24, slotCount, 0) ||
        !m_list.SetImageCount(static_cast<UINT>(slotCount))) {
        Destroy();
        return false;
    }
    m_tileInSlot.assign(static_cast<size_t>(slotCount), -1);
    m_lastUse.assign(static_cast<size_t>(slotCount), 0);
    return true;
}

int CTileSlots::SlotFor(int tile, const CTileStore& store)
{
    if (!m_list.GetSafeHandle() || tile < 0)
        return -1;
    auto found = std::find(m_tileInSlot.begin(), m_tileInSlot.end(), tile);
    int slot = found != m_tileInSlot.end() ? static_cast<int>(found - m_tileInSlot.begin())
                                           : LeastRecentSlot();
    if (found == m_tileInSlot.end() && !Load(slot, tile, store))
        return -1;
    m_lastUse[static_cast<size_t>(slot)] = ++m_clock;
    return slot;
}

int CTileSlots::LeastRecentSlot() const
{
    return static_cast<int>(std::min_element(m_lastUse.begin(), m_lastUse.end()) -
                            m_lastUse.begin());
}

bool CTileSlots::Load(int slot, int tile, const CTileStore& store)
{
    m_tileInSlot[static_cast<size_t>(slot)] = -1;
    if (!store.Read(tile, m_stagingBits))
        return false;
    ::GdiFlush();
    if (!m_list.Replace(slot, m_staging, nullptr))
        return false;
    m_tileInSlot[static_cast<size_t>(slot)] = tile;
    return true;
}
