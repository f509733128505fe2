// The link and the transfer dialog a window works through: frmSerial and frmReadWrite
// unless set (tests).
#pragma once

class TfrmSerial;
class TfrmReadWrite;

struct TLinkRefs {
    TfrmSerial* Link = nullptr;
    TfrmReadWrite* Transfers = nullptr;
    TfrmSerial* link() const;
    TfrmReadWrite* transfers() const;
};
