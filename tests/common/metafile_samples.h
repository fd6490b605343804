// Metafiles built record by record: small good ones, and the hostile ones
// that once hung, crashed or starved the platform's player. Shared by the
// host tests of the record checks and the Windows tests of the decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class EmfBuilder {
public:
    explicit EmfBuilder(uint16_t handles = 8) : m_handles(handles) {}
    // A record of `type` whose size is filled in from its fields.
    EmfBuilder& Add(uint32_t type, const std::vector<uint32_t>& fields);
    // Overrides the size field of the last record added.
    EmfBuilder& Size(uint32_t size);
    // Header, records, EMR_EOF; the header's byte count covers them all.
    std::vector<uint8_t> Bytes() const;

private:
    uint16_t m_handles;
    std::vector<std::vector<uint32_t>> m_records;
};

class WmfBuilder {
public:
    explicit WmfBuilder(uint16_t objects = 4) : m_objects(objects) {}
    WmfBuilder& Add(uint16_t function, const std::vector<uint16_t>& params);
    // METAHEADER, records, META_EOF; with the placeable header before them
    // when asked.
    std::vector<uint8_t> Bytes(bool placeable) const;

private:
    uint16_t m_objects;
    std::vector<uint16_t> m_words;
    uint32_t m_largest = 3;
};

// EMR_STRETCHDIBITS fields of a 24-bit DIB whose header and bits follow the
// record's fixed part, with `bitsBytes` bytes of bits.
std::vector<uint32_t> StretchDibitsFields(int32_t width, int32_t height, uint32_t bitsBytes);
// EMR_EXTTEXTOUTW fields of "Hi".
std::vector<uint32_t> ExtTextOutWFields();

struct Sample {
    std::string name;
    std::vector<uint8_t> bytes;
    bool placeable;  // a WMF with its placeable header
};

// One good file of each kind, then every hostile case.
std::vector<Sample> GoodMetafiles();
std::vector<Sample> HostileMetafiles();
