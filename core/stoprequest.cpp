#include "tav/stoprequest.h"

namespace tav {

StopRequest& process_stop_request() noexcept {
    static constinit StopRequest request;
    return request;
}

}  // namespace tav
