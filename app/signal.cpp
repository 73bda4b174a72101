#include "app/signal.h"

TModemLines TModemLines::FromStatusWord(uint32_t word) {
  TModemLines lines;
  lines.ClearToSend = (word & kModemClearToSend) != 0;
  lines.DataSetReady = (word & kModemDataSetReady) != 0;
  lines.Ring = (word & kModemRing) != 0;
  lines.ReceiveLine = (word & kModemReceiveLine) != 0;
  return lines;
}

bool ContactLine(const TModemLines& lines, int contact) {
  switch (contact) {
    case coPins41: return lines.ReceiveLine;
    case coPins46: return lines.DataSetReady;
    case coPins78: return lines.ClearToSend;
    case coPins79: return lines.Ring;
    default: return false;
  }
}

bool SignalLevel(const TModemLines& lines, int contact, int algorithm) {
  bool line = ContactLine(lines, contact);
  return algorithm == kAlgorithmDirect ? line : !line;
}
