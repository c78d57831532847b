// The virtual printer's side of the control commands and of its status
// blocks; the event loop is in virtual_printer.cpp.
#include "vprinter/virtual_printer.h"

namespace lt77::vprinter {

std::string VirtualPrinter::Execute(const std::string& line, const char* source)
{
    const std::optional<ControlCommand> command = ParseControlCommand(line);
    const std::string reply = command ? ExecuteCommand(*command) : "error unknown command: " + line;
    log_.Note(source, line + " -> " + reply);
    return reply;
}

std::string VirtualPrinter::ExecuteCommand(const ControlCommand& command)
{
    if (ApplyToState(command, state_)) {
        PublishStatus();
        return "ok block " + BlockText();
    }
    switch (command.verb) {
    case CommandVerb::SilenceOn:
        silence_ = true;
        return "ok silence on";
    case CommandVerb::SilenceOff:
        silence_ = false;
        PublishStatus();
        return "ok silence off";
    case CommandVerb::Disconnect:
        return "ok closed " + std::to_string(Disconnect()) + " connections";
    case CommandVerb::Garbage:
        SendGarbage(command.count);
        return "ok garbage " + std::to_string(command.count);
    case CommandVerb::Short:
        shortBlockBytes_ = command.count;
        return "ok short " + std::to_string(command.count);
    case CommandVerb::Slow:
        slowBytesPerSecond_ = command.count;
        return "ok slow " + std::to_string(command.count);
    case CommandVerb::Status:
        return StatusText();
    case CommandVerb::Quit:
        stopping_ = true;
        return "ok stopping";
    case CommandVerb::StoreBitImage:
        return jobs_.StoreImage(command.count, "", command.path);
    case CommandVerb::StoreGraphic:
        return jobs_.StoreImage(0, command.key, command.path);
    default:
        return "error not handled";
    }
}

std::string VirtualPrinter::BlockText() const { return HexText(BuildStatusBlock(state_)); }

std::string VirtualPrinter::StatusText() const
{
    std::size_t statusChannels = terminal_ && terminal_->asbEnabled ? 1 : 0;
    for (const auto& connection : connections_) statusChannels += connection->asbEnabled ? 1 : 0;
    return "ok block " + BlockText() + " connections " + std::to_string(connections_.size()) +
           " status-channels " + std::to_string(statusChannels) + " jobs " + std::to_string(jobs_.SavedCount()) +
           " bytes-in " + std::to_string(bytesIn_) + " bytes-out " + std::to_string(bytesOut_) + " blocks-out " +
           std::to_string(blocksOut_) + " silence " + (silence_ ? "on" : "off") + " short " +
           std::to_string(shortBlockBytes_) + " slow " + std::to_string(slowBytesPerSecond_);
}

void VirtualPrinter::SendBlock(Channel& channel)
{
    if (silence_) return;
    const StatusBlock block = BuildStatusBlock(state_);
    std::size_t length = block.size();
    if (shortBlockBytes_ != 0) length = std::exchange(shortBlockBytes_, 0);
    channel.Queue(std::span(block).first(length));
    // The printer believes the block went out whole; a short one is a fault
    // of the line, not a reason to send it again.
    channel.lastBlock = block;
    ++blocksOut_;
    Flush(channel);
}

void VirtualPrinter::PublishStatus()
{
    const StatusBlock block = BuildStatusBlock(state_);
    ForEachChannel([&](Channel& channel) {
        if (channel.asbEnabled && !channel.closing && channel.lastBlock != block) SendBlock(channel);
    });
}

void VirtualPrinter::SendGarbage(uint32_t count)
{
    std::vector<uint8_t> bytes(count);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(random_));
    ForEachChannel([&](Channel& channel) {
        if (!channel.asbEnabled || channel.closing) return;
        channel.Queue(bytes);
        Flush(channel);
    });
}

uint32_t VirtualPrinter::Disconnect()
{
    for (auto& connection : connections_) connection->closing = true;
    // A terminal has no connection to drop: what the other side has not read
    // yet is lost instead, as when a cable is pulled.
    if (terminal_) {
        terminal_->DropOutput();
        DropTerminalOutput(pty_.slaveHeld.Get());
    }
    return static_cast<uint32_t>(connections_.size());
}

}  // namespace lt77::vprinter
