#include "serial/port_error.h"

#include <cerrno>

#include "serial/comm_types.h"

uint32_t ResultCode(const PortFailure& failure) {
  if (failure.osError != 0) {
    switch (failure.osError) {
      case EPERM: return EACCES;
      case ENXIO: return ENODEV;
      default: return static_cast<uint32_t>(failure.osError);
    }
  }
  switch (failure.error) {
    case PortError::None: return win::ERROR_SUCCESS;
    case PortError::NotOpen: return win::ERROR_INVALID_HANDLE;
    case PortError::AlreadyOpen: return win::ERROR_ALREADY_INITIALIZED;
    case PortError::WrongMode: return win::ERROR_INVALID_FUNCTION;
    case PortError::UnknownMode: return win::E_INVALIDARG;
    case PortError::TimedOut: return win::ERROR_TIMEOUT;
    default: return EIO;  // a system failure without a reason still never reads as success
  }
}
