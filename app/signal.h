// The light barrier's signal: the four modem-status input lines, the pin pair that selects
// one of them and the algorithm that may invert it.
#pragma once

#include <cstdint>

// Bits of the modem-status word.
constexpr uint32_t kModemClearToSend = 0x10;
constexpr uint32_t kModemDataSetReady = 0x20;
constexpr uint32_t kModemRing = 0x40;
constexpr uint32_t kModemReceiveLine = 0x80;  // receive-line-signal detect

struct TModemLines {
  bool ClearToSend = false;
  bool DataSetReady = false;
  bool Ring = false;
  bool ReceiveLine = false;

  static TModemLines FromStatusWord(uint32_t word);
  bool operator==(const TModemLines&) const = default;
};

// The pin pairs of the 9-pin connector, in list order: the barrier closes a contact from an
// output (4 DTR, 7 RTS) to the input line that the pair reads.
enum TContact { coPins41, coPins46, coPins78, coPins79 };
constexpr int kContactCount = 4;
constexpr const char* kContactNames[kContactCount] = {"4-1", "4-6", "7-8", "7-9"};

// The line that a pin pair reads ("4-1" receive line, "4-6" data set ready, "7-8" clear to
// send, "7-9" ring); False for an index outside the list.
bool ContactLine(const TModemLines& lines, int contact);

// The algorithm list: "On" (index 0) takes the line as read, any other index inverts it.
constexpr int kAlgorithmDirect = 0;
constexpr int kAlgorithmInverted = 1;

// The level that triggers on its rising edge.
bool SignalLevel(const TModemLines& lines, int contact, int algorithm);
