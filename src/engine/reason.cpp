#include "engine/reason.h"

#include "text/text_table.h"

#include <cerrno>

namespace {

constexpr std::string_view kReasonKeys[] = {
#define BRELVIX_REASON_KEY(name, key) key,
    BRELVIX_REASONS(BRELVIX_REASON_KEY)
#undef BRELVIX_REASON_KEY
};

} // namespace

std::string_view ReasonKey(Reason reason) {
    const auto index = static_cast<size_t>(reason);
    return index < std::size(kReasonKeys) ? kReasonKeys[index] : kReasonKeys[0];
}

std::string ReasonText(Reason reason) {
    return GetText("Reason", ReasonKey(reason));
}

Reason ReasonFromErrno(int error, Reason fallback) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Reason::kDiskFull;
    case EACCES:
    case EPERM:
        return fallback == Reason::kReadError ? Reason::kReadDenied : Reason::kWriteDenied;
    case EROFS:
        return Reason::kReadOnlyFileSystem;
    case ENOMEM:
        return Reason::kOutOfMemory;
    case ENOENT:
        return fallback == Reason::kReadError ? Reason::kMissing : fallback;
    default:
        return fallback;
    }
}
