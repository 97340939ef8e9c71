// A TCP relay between a client and the PostgreSQL server that holds what passes in each
// direction for half a chosen round trip, as a network to another site would, and counts
// the round trips the client makes: a client turn is data it sends after the server last
// answered, however many packets either sends.
#ifndef TARNWRIGHT_BENCH_DELAY_RELAY_H
#define TARNWRIGHT_BENCH_DELAY_RELAY_H

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace floor_bench {

class DelayRelay {
public:
    using Clock = std::chrono::steady_clock;

    // Relays to host:port; round_trip is added to every exchange (half each way).
    DelayRelay(const std::string& host, int port, std::chrono::microseconds round_trip)
        : host_(host), port_(port), half_(round_trip / 2) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
            stop();
            return;
        }
        listen_port_ = ntohs(a.sin_port);
        acceptor_ = std::thread([this] { accept_loop(); });
    }
    ~DelayRelay() { stop(); }
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    int port() const { return listen_port_; }  // 0 when it could not listen
    long round_trips() const { return turns_.load(); }
    void reset_count() { turns_ = 0; }

private:
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    void stop() {
        stopping_ = true;
        if (listener_ >= 0) shutdown(listener_, SHUT_RDWR);
        if (acceptor_.joinable()) acceptor_.join();
        for (std::thread& t : pipes_)
            if (t.joinable()) t.join();
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
    }

    int connect_server() const {
        addrinfo hints{}, *found = nullptr;
        hints.ai_socktype = SOCK_STREAM;
        if (getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found) != 0) return -1;
        int fd = socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
        freeaddrinfo(found);
        return fd;
    }

    void accept_loop() {
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            int server = connect_server();
            if (server < 0) {
                close(client);
                continue;
            }
            for (int fd : {client, server}) {
                int one = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            }
            pipes_.emplace_back([this, client, server] { relay(client, server); });
        }
    }

    // Both directions of one connection, each chunk sent on when its time has come.
    void relay(int client, int server) {
        std::deque<Pending> to_server, to_client;
        bool server_answered = true;  // the client's first bytes start a round trip
        bool open = true;
        char buffer[65536];
        while (open && !stopping_) {
            Clock::time_point now = Clock::now();
            int wait_ms = 50;
            for (auto* q : {&to_server, &to_client})
                if (!q->empty()) {
                    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(q->front().due - now).count();
                    wait_ms = std::min<int>(wait_ms, left < 0 ? 0 : static_cast<int>(left) + 1);
                }
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, wait_ms) < 0) break;
            now = Clock::now();
            for (int side = 0; side < 2 && open; ++side) {
                if (!(p[side].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                ssize_t n = read(p[side].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    open = false;
                    break;
                }
                if (side == 0) {
                    if (server_answered) ++turns_;
                    server_answered = false;
                    to_server.push_back({now + half_, std::string(buffer, static_cast<std::size_t>(n))});
                } else {
                    server_answered = true;
                    to_client.push_back({now + half_, std::string(buffer, static_cast<std::size_t>(n))});
                }
            }
            now = Clock::now();
            for (auto [q, fd] : {std::pair{&to_server, server}, std::pair{&to_client, client}})
                while (open && !q->empty() && q->front().due <= now) {
                    const std::string& b = q->front().bytes;
                    for (std::size_t sent = 0; sent < b.size();) {
                        ssize_t w = write(fd, b.data() + sent, b.size() - sent);
                        if (w <= 0) {
                            open = false;
                            break;
                        }
                        sent += static_cast<std::size_t>(w);
                    }
                    q->pop_front();
                }
        }
        close(client);
        close(server);
    }

    std::string host_;
    int port_;
    std::chrono::microseconds half_;
    int listener_ = -1;
    int listen_port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long> turns_{0};
    std::thread acceptor_;
    std::vector<std::thread> pipes_;
};

}  // namespace floor_bench

#endif
