// Put first on the include path of libraries that must not use Qt Widgets:
// every Qt Widgets header includes this one, so any of them stops the build.
#error                                                                                                       \
    "this library must not use Qt Widgets (widgets belong in the view libraries under app/, notes/ and settings/)"
