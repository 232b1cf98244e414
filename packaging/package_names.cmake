# The Debian package of each install component (packaging/CMakeLists.txt).
set(LEVELORA_PACKAGE_ENGINE libskewmend1)
set(LEVELORA_PACKAGE_CONVERTER libpictconv1)
set(LEVELORA_PACKAGE_TOOL skewmend)
set(LEVELORA_PACKAGE_DESKTOP leveloradesk)
set(LEVELORA_PACKAGE_DEVELOPMENT libskewmend-dev)
set(LEVELORA_PACKAGE_PYTHON python3-levelora)
