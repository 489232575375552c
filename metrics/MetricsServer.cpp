#include "metrics/MetricsServer.h"

#include "metrics/MetricsText.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace {

int Marker; // the first call of a request only sets this, as the library requires

MHD_Result Answer(MHD_Connection* connection, unsigned status, std::string body,
                  const char* contentType) {
    // The text is handed over, not copied: a scrape of 252 units is large.
    auto* held = new std::string(std::move(body));
    MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
        held->size(), held->data(), [](void* text) { delete static_cast<std::string*>(text); },
        held);
    if (!response) {
        delete held;
        return MHD_NO; // out of memory: the library drops the connection
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result HandleRequest(void* server, MHD_Connection* connection, const char* url,
                         const char* method, const char*, const char*, size_t* uploadSize,
                         void** requestState) {
    if (*requestState == nullptr) {
        *requestState = &Marker;
        return MHD_YES;
    }
    if (*uploadSize != 0) {
        *uploadSize = 0; // a body has no meaning here; it is read and forgotten
        return MHD_YES;
    }
    constexpr const char* text = "text/plain; charset=utf-8";
    const std::string_view m(method);
    if (m != MHD_HTTP_METHOD_GET && m != MHD_HTTP_METHOD_HEAD)
        return Answer(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET /metrics\n", text);
    if (std::string_view(url) != "/metrics")
        return Answer(connection, MHD_HTTP_NOT_FOUND, "Not found: try /metrics\n", text);
    const auto& self = *static_cast<const TMetricsServer*>(server);
    return Answer(connection, MHD_HTTP_OK, MetricsText(*self.Hub.Current(), self.Version),
                  "text/plain; version=0.0.4; charset=utf-8");
}

} // namespace

std::string ListenText(const TListenAddress& at) {
    in_addr address{htonl(at.Ipv4)};
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, host, sizeof host);
    return std::string(host) + ":" + std::to_string(at.Port);
}

TMetricsServer::TMetricsServer(const TListenAddress& at, const TSnapshotHub& hub,
                               std::string version, unsigned idleTimeoutS)
    : Hub(hub), Version(std::move(version)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(at.Port);
    address.sin_addr.s_addr = htonl(at.Ipv4);
    errno = 0;
    FDaemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL_LINUX_ONLY, at.Port, nullptr, nullptr,
        &HandleRequest, this, MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_CONNECTION_LIMIT,
        MetricsConnectionLimit, MHD_OPTION_CONNECTION_TIMEOUT, idleTimeoutS,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, MetricsRequestMemory, MHD_OPTION_END);
    if (!FDaemon) {
        const int error = errno;
        throw std::runtime_error("Metrics endpoint: cannot listen on " + ListenText(at) + ": " +
                                 (error ? std::strerror(error) : "refused by the HTTP library"));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(FDaemon, MHD_DAEMON_INFO_BIND_PORT);
    FPort = info ? info->port : at.Port;
}

TMetricsServer::~TMetricsServer() {
    MHD_stop_daemon(FDaemon);
}
