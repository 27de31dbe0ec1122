// GnuTLS comes into the process only as a dependency of the HTTP library's LDAP and RTMP
// support, which the program never uses. Its library constructor would still set up every
// cipher and read the system priority file on each start: about 1 MB of memory and part of
// the start-up time for nothing. GnuTLS asks programs that want to avoid this to define
// this function (GNUTLS_SKIP_GLOBAL_INIT in gnutls/gnutls.h); anything that does use GnuTLS
// still calls gnutls_global_init() itself, which works as before. The executable exports the
// symbol (see app/CMakeLists.txt) so that the library's constructor finds it.

extern "C" {
__attribute__((visibility("default"))) int _gnutls_global_init_skip(void);
int _gnutls_global_init_skip(void) {
  return 1;
}
}
