// Feeds arbitrary bytes to the packet reader, as a saved packet and as a carried block. Whatever
// the reader accepts must survive a write and a second read unchanged.
#include "DataPacket.h"
#include "DatabaseError.h"

#include <cstdlib>

namespace {
void roundTrip(const kodexa::DataPacket& packet) {
    const std::string written = kodexa::writePacket(packet.schema, packet.rows);
    const kodexa::DataPacket again = kodexa::readPacket(kodexa::asBytes(written));
    if (again.rows.rowCount() != packet.rows.rowCount() ||
        kodexa::writePacket(again.schema, again.rows) != written)
        std::abort();
}

void tryRead(std::span<const std::byte> bytes, bool asBlock) {
    try {
        const kodexa::DataPacket packet = asBlock ? kodexa::readBlock(bytes) : kodexa::readPacket(bytes);
        roundTrip(packet);
    } catch (const kodexa::PacketError&) {
        // refused with a message: what we want for damaged input
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    tryRead(bytes, true);
    tryRead(bytes, false);
    return 0;
}
