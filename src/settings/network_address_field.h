#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/dotted_address.h"

class QLineEdit;

namespace ketrel {

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
