// The read and write state machines: one step per call, run by the parser thread after
// every wake-up while TransferMode is 1 (read) or 2 (write).
#pragma once

class TTransferCore;

void ReadRadioStep(TTransferCore& t);
void WriteRadioStep(TTransferCore& t);
// The same on frmReadWrite.
void ReadRadioStep();
void WriteRadioStep();
