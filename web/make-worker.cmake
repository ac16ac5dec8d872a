# Writes the site's service worker from TEMPLATE to OUTPUT: the files a first visit keeps, and a
# cache name made from the content of every file of the site (the worker itself aside).
#   cmake -DSITE=DIR -DTEMPLATE=sw.js.in -DOUTPUT=DIR/sw.js -P make-worker.cmake
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(digests "")
set(kept "")
foreach(f ${files})
  file(SHA256 ${SITE}/${f} digest)
  string(APPEND digests "${f} ${digest}\n")
  # The robot's page is kept when it is first opened, not on every player's first visit.
  if(NOT f MATCHES "^(vornu-demo\\.|demo\\.html)")
    string(APPEND kept "  \"${f}\",\n")
  endif()
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 SITE_VERSION)
set(SITE_FILES "${kept}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
