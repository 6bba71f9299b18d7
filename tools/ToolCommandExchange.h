#pragma once
// One exchange of the tools program with the utility on an open pipe: request, command, the
// command carried out, result. Infinite time-outs throughout; the peer's end ends every wait.
class CPipeCommand;
class IToolCommandHandler;

namespace UToolCommandExchange {

enum class EEnd {
    NoAnswer,   // the request could not be written or the answer not read
    NoCommand,  // the answer was no command: nothing sent back
    Malformed,  // the command did not decode: status 1 sent
    Carried,    // the command ran and its record was sent
};

EEnd Run(CPipeCommand& pipe, IToolCommandHandler& handler);

}  // namespace UToolCommandExchange
