#pragma once

#include <exception>

namespace luvaro {

class IAppLoop;
class IFront;

// The workers' failure reporting, one implementation for the three of them. A failure of a job
// operation becomes exit code 1, a log line when it is none of the recognised transport
// failures, and one error dialog with the stop flag. The transport failures are recognised by
// the patterns their text carries ("Erro HTTP: 413", "Erro Interno: 12002", ...), since they
// may reach here wrapped in other failures' texts. Never returns: the stop flag ends the
// application and unwinds the worker with the silent abort.
[[noreturn]] void TratarExceptionEnvio(const std::exception& pErro, IFront& pFront,
                                       IAppLoop& pLoop);

}  // namespace luvaro
