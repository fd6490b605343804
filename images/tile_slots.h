// The image list the thumbnail list draws from. It holds only the tiles
// drawn last, in a fixed number of slots: a row asks for its tile each time
// it is drawn, and a tile not in a slot is read from the store into the slot
// used longest ago. One image list of every tile would need all of them in
// one bitmap, which a 32-bit address space cannot hold past some 12,000.
#pragma once
#include "images/tile_store.h"

#include "framework/afxcmn.h"

#include <cstdint>
#include <vector>

class CTileSlots {
public:
    // Enough slots for every tile a maximised window shows at once, so a
    // repaint never evicts a tile it has just loaded.
    static int DefaultSlotCount(size_t tileBytes);

    CTileSlots() = default;
    ~CTileSlots();
    CTileSlots(const CTileSlots&) = delete;
    CTileSlots& operator=(const CTileSlots&) = delete;

    bool Create(uint32_t edge, int slotCount);
    CImageList* List() { return &m_list; }

    // The slot now holding the store's tile; -1 when it cannot be read (the
    // row is then drawn without a tile). User-interface thread only.
    int SlotFor(int tile, const CTileStore& store);

private:
    int LeastRecentSlot() const;
    bool Load(int slot, int tile, const CTileStore& store);
    void Destroy();

    CImageList m_list;
    HBITMAP m_staging = nullptr;  // one tile, handed to the image list
    uint8_t* m_stagingBits = nullptr;
    std::vector<int> m_tileInSlot;
    std::vector<uint32_t> m_lastUse;
    uint32_t m_clock = 0;
};
