#include "link/NetStream.h"

CNetStream::CNetStream(asio::ip::tcp::socket socket)
    : m_plain(std::make_unique<asio::ip::tcp::socket>(std::move(socket))) {}

CNetStream::CNetStream(asio::ip::tcp::socket socket, asio::ssl::context& context)
    : m_tls(
          std::make_unique<asio::ssl::stream<asio::ip::tcp::socket>>(std::move(socket), context)) {}

asio::ip::tcp::socket& CNetStream::Socket() { return m_tls ? m_tls->next_layer() : *m_plain; }

void CNetStream::Handshake(bool server, const std::string& host, DoneHandler done) {
  if (!m_tls) {
    asio::post(m_plain->get_executor(), [done = std::move(done)] { done(std::error_code()); });
    return;
  }
  if (!server && !host.empty()) {
    // The name the server's certificate must carry, also sent for name-based hosting.
    SSL_set_tlsext_host_name(m_tls->native_handle(), host.c_str());
    m_tls->set_verify_callback(asio::ssl::host_name_verification(host));
  }
  m_tls->async_handshake(server ? asio::ssl::stream_base::server : asio::ssl::stream_base::client,
                         [done = std::move(done)](const std::error_code& ec) { done(ec); });
}

void CNetStream::ReadSome(uint8_t* data, size_t size, IoHandler done) {
  if (m_tls) {
    m_tls->async_read_some(asio::buffer(data, size), std::move(done));
  } else {
    m_plain->async_read_some(asio::buffer(data, size), std::move(done));
  }
}

void CNetStream::Write(const uint8_t* data, size_t size, IoHandler done) {
  if (m_tls) {
    asio::async_write(*m_tls, asio::buffer(data, size), std::move(done));
  } else {
    asio::async_write(*m_plain, asio::buffer(data, size), std::move(done));
  }
}

void CNetStream::Close() {
  std::error_code ignored;
  Socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  Socket().close(ignored);
}

bool MakeServerTlsContext(asio::ssl::context& context, const std::string& certFile,
                          const std::string& keyFile, std::string& error) {
  std::error_code ec;
  context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                          asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                          asio::ssl::context::no_tlsv1_1,
                      ec);
  if (!ec) context.use_certificate_chain_file(certFile, ec);
  if (ec) {
    error = "certificate " + certFile + ": " + ec.message();
    return false;
  }
  context.use_private_key_file(keyFile, asio::ssl::context::pem, ec);
  if (ec) {
    error = "key " + keyFile + ": " + ec.message();
    return false;
  }
  return true;
}

bool MakeClientTlsContext(asio::ssl::context& context, const std::string& caFile,
                          std::string& error) {
  std::error_code ec;
  context.set_verify_mode(asio::ssl::verify_peer, ec);
  if (!ec) {
    if (caFile.empty()) {
      context.set_default_verify_paths(ec);
    } else {
      context.load_verify_file(caFile, ec);
    }
  }
  if (ec) {
    error = "CA " + (caFile.empty() ? std::string("(system)") : caFile) + ": " + ec.message();
    return false;
  }
  return true;
}
