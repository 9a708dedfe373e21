#pragma once
// The launcher's end of the game link: a plain WebSocket server on the
// loopback address. Messages of connections that asked for the agreed
// resource path go to mMessageCallback as narrow text; every connection's
// opening and closing goes to mOpenCallback / mCloseCallback. All callbacks
// run on the thread that runs the event loop, one at a time, and are assigned
// before that thread starts.
//
// The library's error log goes to standard error, its access log to standard
// output; the server's own lines go to the debugger output.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ObrelSdk {

class WebSocketServer {
 public:
  std::function<void(std::string message)> mMessageCallback;
  std::function<void()> mOpenCallback;
  std::function<void()> mCloseCallback;

  WebSocketServer();
  ~WebSocketServer();
  WebSocketServer(const WebSocketServer&) = delete;
  WebSocketServer& operator=(const WebSocketServer&) = delete;

  // Opens 127.0.0.1:port for connections whose messages count when they ask
  // for `path`. False, with a debug line, when the port cannot be opened.
  // Call once, before runEventLoop.
  bool listen(uint16_t port, std::string path);
  // Handles connections on the calling thread until stop(); then closes the
  // listening socket.
  void runEventLoop();
  // listen + runEventLoop; returns at once when the port cannot be opened.
  void run(uint16_t port, std::string path);
  // Ends the event loop from any thread, also before it has started; the
  // handler running at that moment finishes first. No callback follows.
  void stop();

 private:
  struct Endpoint;
  std::unique_ptr<Endpoint> mServer;
  std::string mResourcePath;
};

// The process's game-link server: created during start-up, before the entry
// point, and never destroyed, so an exiting process cannot pull it away from
// a server thread that is still finishing a handler.
WebSocketServer& webSocketServer();

// UTF-8 text as code page 936 bytes. Characters the code page lacks, and
// invalid UTF-8, become the code page's default character.
std::string utf8ToLocalText(const std::string& utf8);

}  // namespace ObrelSdk
