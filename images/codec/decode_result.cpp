#include "images/codec/decode_result.h"

const char* DecodeStatusName(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::kOk:
        return "ok";
    case DecodeStatus::kSizeOnly:
        return "size only";
    case DecodeStatus::kCancelled:
        return "cancelled";
    case DecodeStatus::kTooLarge:
        return "too large";
    case DecodeStatus::kCorrupt:
        return "corrupt";
    case DecodeStatus::kUnsupported:
        return "unsupported";
    case DecodeStatus::kNoFrame:
        return "no such frame";
    case DecodeStatus::kUnreadable:
        return "unreadable";
    }
    return "unknown";
}
