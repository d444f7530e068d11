#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "device/DeviceState.h"

class QLabel;
class QRadioButton;

namespace velmar {

class CheckableGroupBox;
class IpAddressEdit;

// "Obtain an IP address automatically" or "Use the following IP address" with its address fields
// (IP address, subnet mask, default gateway and, for a Dante interface, DNS server) and the MAC line.
class AddressChoice final : public QWidget {
  public:
    AddressChoice(bool withDns, QWidget* parent = nullptr);

    void Load(std::int32_t dhcp, const std::vector<std::string_view>& addresses, std::string_view mac);
    // The DHCP flag and the address texts to store (none with the automatic choice), or the reason
    // the fixed choice cannot be taken. `where` names the interface in that reason.
    struct Taken {
        std::int32_t dhcp = 0;
        std::vector<std::string> addresses;
    };
    std::optional<Taken> Take(std::string_view where, std::string& problem) const;

  private:
    QRadioButton* automatic_;
    CheckableGroupBox* fixed_;
    std::vector<IpAddressEdit*> fields_;
    QLabel* mac_;
};

// Stores taken addresses into the interface's texts, in the order the fields stand. Choosing the
// automatic address clears the texts; an interface that was automatic already keeps the addresses it
// reported, so opening and saving sends nothing for it.
template <typename Lan>
void StoreAddresses(const AddressChoice::Taken& taken, Lan& lan) {
    if (taken.dhcp != 0) {
        if (lan.dhcp == 0) {
            for (auto* text : {&lan.ip, &lan.subnet, &lan.gateway})
                text->Assign("0.0.0.0");
            if constexpr (requires { lan.dns; })
                lan.dns.Assign("0.0.0.0");
        }
        lan.dhcp = 1;
        return;
    }
    lan.dhcp = 0;
    lan.ip.Assign(taken.addresses[0]);
    lan.subnet.Assign(taken.addresses[1]);
    lan.gateway.Assign(taken.addresses[2]);
    if constexpr (requires { lan.dns; })
        lan.dns.Assign(taken.addresses[3]);
}

}  // namespace velmar
