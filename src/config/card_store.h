#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/notifier.h"

namespace ketrel {

// One row of the Card table as stored: the number as text, the two actions as integers (any
// value the file holds, also one outside the action list).
struct CardRow {
    std::string number;
    int enter = 0;
    int leave = 0;
    bool operator==(const CardRow&) const = default;
};

// The Card table of the configuration database. Every call opens the file for one statement and
// shows its own failure message; the number is stored exactly as given.
class CardStore {
  public:
    CardStore(std::string databasePath, Notifier& notifier)
        : path_(std::move(databasePath)), notifier_(notifier) {}

    // Every card in table order; nothing when the table cannot be read.
    std::optional<std::vector<CardRow>> LoadCards() const;
    // Whether a card with that number is stored; nothing when the table cannot be read.
    std::optional<bool> CardExists(const std::string& number) const;
    // The stored card of that number; nothing when there is none or the table cannot be read.
    std::optional<CardRow> FindCard(const std::string& number) const;
    bool InsertCard(const std::string& number, int enter, int leave) const;
    bool UpdateCard(const std::string& number, int enter, int leave) const;
    bool DeleteCard(const std::string& number) const;
    bool DeleteAllCards() const;

  private:
    std::string path_;
    Notifier& notifier_;
};

// The card image carries a number as an unsigned 32-bit value read from decimal digits; any other
// text would reach the unit as a different card.
inline constexpr unsigned long long kMaxCardNumber = 4294967295ULL;
bool IsWritableCardNumber(const std::string& number);

}  // namespace ketrel
