# The game server's base URL: the directory of cgi_jinro.cgi on the server.
# This is the default; jinro-client --server-url URL replaces it for one run,
# with the same checks (src/base/server_url.cpp).
set(JINRO_SERVER_BASE_URL "http://127.0.0.1:8399/jinro/" CACHE STRING
    "Base URL of the game server (http:// or https://, ends with /, no ./)")

if(NOT JINRO_SERVER_BASE_URL MATCHES "^https?://")
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL must start with http:// or https:// (got '${JINRO_SERVER_BASE_URL}')")
endif()
if(NOT JINRO_SERVER_BASE_URL MATCHES "^https?://[^/]")
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL has no host (got '${JINRO_SERVER_BASE_URL}')")
endif()
if(NOT JINRO_SERVER_BASE_URL MATCHES "/$")
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL must end with / (got '${JINRO_SERVER_BASE_URL}')")
endif()
string(FIND "${JINRO_SERVER_BASE_URL}" "./" _jinro_dot_slash)
if(NOT _jinro_dot_slash EQUAL -1)
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL must not contain ./ (got '${JINRO_SERVER_BASE_URL}')")
endif()
if(JINRO_SERVER_BASE_URL MATCHES "[\"'\\\\]")
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL must not contain quotes or backslashes")
endif()
if(JINRO_SERVER_BASE_URL MATCHES "[ \t\r\n]")
  message(FATAL_ERROR "JINRO_SERVER_BASE_URL must not contain spaces or control characters")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/server_base_url.h.in
               ${CMAKE_BINARY_DIR}/generated/jinro/server_base_url.h @ONLY)
