// Any baud rate the driver takes, through termios2. Kept apart: <asm/termbits.h> clashes
// with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform::detail {

bool SetAnyBaud(int fd, int baud)
{
    if (baud <= 0)
        return false;
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(baud);
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

int CurrentBaud(int fd)
{
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return static_cast<int>(tio.c_ospeed);
}

} // namespace platform::detail
