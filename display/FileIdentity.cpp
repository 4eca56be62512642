#include "display/FileIdentity.h"
#include "framework/FilePath.h"

#include <sys/stat.h>

FileIdentity FileIdentityOf(const CString &path)
{
    FileIdentity identity;
    struct stat info;
    if (path.isEmpty() || ::stat(PathBytes(path).constData(), &info) != 0)
        return identity;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.size = info.st_size;
    identity.modifiedNanoseconds =
        std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    return identity;
}
