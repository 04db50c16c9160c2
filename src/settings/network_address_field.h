#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;

namespace ketrel {

using Octets = std::array<std::uint8_t, 4>;

// A stored address text: four decimal numbers of 0 to 255 separated by points, blanks around
// the whole allowed. Anything else is no address.
std::optional<Octets> ParseDottedAddress(std::string_view text);
// "a.b.c.d", each number in decimal without leading zeros.
std::string FormatDottedAddress(const Octets& octets);

// An IPv4 address field: four parts of 0 to 255 between points. Only numbers up to 255 can be
// typed; a point or a third digit moves on to the next part.
class NetworkAddressField : public QWidget {
    Q_OBJECT
  public:
    explicit NetworkAddressField(QWidget* parent = nullptr);

    QLineEdit* part(int index) const { return parts_[static_cast<std::size_t>(index)]; }
    void setOctets(const Octets& octets);
    void clear();
    bool isBlank() const;
    // The whole address; a blank part counts as 0.
    Octets octets() const;

  signals:
    // Any part's text changed, by typing or by the program.
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void focusPart(int index);

    std::array<QLineEdit*, 4> parts_{};
};

}  // namespace ketrel
