# file_packager marks assets.js with a random package_uuid on every run, so
# two builds of the same images would differ. The id only tells a browser's
# cache one package from another, so it is made from the packed images
# instead: the same images, the same id and the same bytes.
#   cmake -DJS=assets.js -DDATA=assets.data -P package_uuid.cmake
file(SHA256 ${DATA} data_hash)
string(UUID package_uuid NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8 NAME ${data_hash} TYPE SHA1)
file(READ ${JS} js)
string(REGEX REPLACE "\"package_uuid\": \"[^\"]*\"" "\"package_uuid\": \"${package_uuid}\"" js "${js}")
file(WRITE ${JS} "${js}")
