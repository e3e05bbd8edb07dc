# HTTP requests from outside: the request target, path and query through the dispatcher, the Authorization header.
iec_fuzz_target(web_request ${CMAKE_CURRENT_SOURCE_DIR}/web_request.cpp iec_web)
