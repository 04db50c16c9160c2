#include "config/card_store.h"

#include <cstdlib>

#include "config/config_db.h"
#include "config/config_image.h"
#include "config/config_statements.h"
#include "config/config_texts.h"

namespace ketrel {

namespace {

int CellNumber(const SqlRow& row, std::size_t column) {
    if (column >= row.size()) return 0;
    return static_cast<int>(std::strtol(row[column].c_str(), nullptr, 10));
}

CardRow ToCard(const SqlRow& row) {
    return {row.empty() ? std::string() : row[0], CellNumber(row, 1), CellNumber(row, 2)};
}

}  // namespace

std::optional<std::vector<CardRow>> CardStore::LoadCards() const {
    const auto rows = ConfigDb(path_, notifier_).fetch(sql::kSelectCard, sql::kCard);
    if (!rows) return std::nullopt;
    std::vector<CardRow> cards;
    cards.reserve(rows->size());
    for (const SqlRow& row : *rows) cards.push_back(ToCard(row));
    return cards;
}

std::optional<bool> CardStore::CardExists(const std::string& number) const {
    const auto rows = ConfigDb(path_, notifier_).fetch(sql::kSelectCard, sql::kCard);
    if (!rows) return std::nullopt;
    // "0123" is card 123 in the unit's image: the same card, whatever the text.
    const std::uint32_t value = ReadDecimal(number);
    for (const SqlRow& row : *rows) {
        if (!row.empty() && (row[0] == number || ReadDecimal(row[0]) == value)) return true;
    }
    return false;
}

std::optional<CardRow> CardStore::FindCard(const std::string& number) const {
    const auto rows = ConfigDb(path_, notifier_).fetch(sql::kSelectCardById, {number}, sql::kCard);
    if (!rows || rows->empty()) return std::nullopt;
    // Rows sharing a number are updated and deleted together; the first one stands for them.
    return ToCard(rows->front());
}

bool CardStore::InsertCard(const std::string& number, int enter, int leave) const {
    return ConfigDb(path_, notifier_).execute(sql::kInsertCard, {number, enter, leave}, sql::kCard);
}

bool CardStore::UpdateCard(const std::string& number, int enter, int leave) const {
    // The edit dialog names the table in its open message.
    return ConfigDb(path_, notifier_, texts::kOpenCardFailed)
        .execute(sql::kUpdateCard, {enter, leave, number}, sql::kCard);
}

bool CardStore::DeleteCard(const std::string& number) const {
    return ConfigDb(path_, notifier_).execute(sql::kDeleteCard, {number}, sql::kCard);
}

bool CardStore::DeleteAllCards() const {
    return ConfigDb(path_, notifier_).execute(sql::kDeleteAllCards, sql::kCard);
}

bool IsWritableCardNumber(const std::string& number) {
    if (number.empty()) return false;
    unsigned long long value = 0;
    for (const char c : number) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
        if (value > kMaxCardNumber) return false;
    }
    return true;
}

}  // namespace ketrel
