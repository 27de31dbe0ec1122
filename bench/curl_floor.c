/* The start-up floor: a C program that makes the same first request as the program (a GET of
 * the update server's version query) with libcurl, and nothing else. */
#include <curl/curl.h>
#include <stdio.h>

static size_t Discard(char* data, size_t size, size_t count, void* user) {
  (void)data;
  (void)user;
  return size * count;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: curl_floor URL\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* curl = curl_easy_init();
  if (!curl) return 1;
  curl_easy_setopt(curl, CURLOPT_URL, argv[1]);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  curl_global_cleanup();
  return rc == CURLE_OK ? 0 : 1;
}
