#pragma once

#include "framework/Geometry.h"

#include <cstdint>

// Which file a path names and in which state: device, inode, size and modification
// time. A fax being received grows, and a fax server may replace a file under the same
// name; a page read, shown or prepared ahead belongs to the identity it was read under.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedNanoseconds = 0;

    bool IsKnown() const { return size >= 0; }
    bool operator==(const FileIdentity &) const = default;
};

// The identity of the file at path now; not known when it cannot be looked up.
FileIdentity FileIdentityOf(const CString &path);
