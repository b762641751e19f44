# A folder of stand-ins for every QtWidgets header, each an #error. A library given it (before
# Qt's own include folders) fails to build as soon as one of its files includes a widget header,
# by either spelling: <QtWidgets/QWidget> or <QWidget>.
set(SW_NO_WIDGETS_DIR ${CMAKE_BINARY_DIR}/no-widgets)
get_target_property(_sw_widget_dirs Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
set(_sw_widget_headers_dir "")
foreach(_dir ${_sw_widget_dirs})
    if(_dir MATCHES "/QtWidgets$")
        set(_sw_widget_headers_dir ${_dir})
    endif()
endforeach()
if(NOT _sw_widget_headers_dir)
    message(FATAL_ERROR "The QtWidgets headers were not found among ${_sw_widget_dirs}")
endif()
file(GLOB _sw_widget_headers RELATIVE ${_sw_widget_headers_dir} ${_sw_widget_headers_dir}/*)
foreach(_header ${_sw_widget_headers})
    set(_text "#error \"${_header} is a widget header: this library is below the views and uses no widgets\"\n")
    set(_paths ${SW_NO_WIDGETS_DIR}/QtWidgets/${_header})
    # A few QtWidgets headers only forward to QtGui's (qaction.h): under their bare name they are QtGui's.
    # <QtWidgets> itself meets the folder of the same name, which cannot be included either.
    if(NOT _header STREQUAL "QtWidgets" AND NOT EXISTS ${_sw_widget_headers_dir}/../QtGui/${_header}
       AND NOT EXISTS ${_sw_widget_headers_dir}/../QtCore/${_header})
        list(APPEND _paths ${SW_NO_WIDGETS_DIR}/${_header})
    endif()
    foreach(_path ${_paths})
        if(EXISTS ${_path})
            file(READ ${_path} _old)
        else()
            set(_old "")
        endif()
        if(NOT _old STREQUAL _text)
            file(WRITE ${_path} "${_text}")
        endif()
    endforeach()
endforeach()

# Proof that the stand-ins work: a file including a widget header compiles with Qt's folders
# alone and fails with the stand-ins before them.
if(NOT DEFINED CACHE{SW_NO_WIDGETS_PROVED})
    set(_check ${CMAKE_BINARY_DIR}/no-widgets-check)
    # Compiling is the question; linking would only ask for Qt's libraries.
    set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
    file(WRITE ${_check}/uses_widget.cpp "#include <QtWidgets/QWidget>\nint compiled() { return 0; }\n")
    try_compile(_sw_plain_compiled ${_check}/plain SOURCES ${_check}/uses_widget.cpp
        CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${_sw_widget_dirs}" "-DCMAKE_POSITION_INDEPENDENT_CODE=ON"
        CXX_STANDARD 20)
    try_compile(_sw_guarded_compiled ${_check}/guarded SOURCES ${_check}/uses_widget.cpp
        CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${SW_NO_WIDGETS_DIR};${_sw_widget_dirs}" "-DCMAKE_POSITION_INDEPENDENT_CODE=ON"
        CXX_STANDARD 20)
    if(NOT _sw_plain_compiled OR _sw_guarded_compiled)
        message(FATAL_ERROR "The widget stand-ins in ${SW_NO_WIDGETS_DIR} do not tell a widget header "
                            "(compiled without them: ${_sw_plain_compiled}; with them: ${_sw_guarded_compiled})")
    endif()
    unset(CMAKE_TRY_COMPILE_TARGET_TYPE)
    set(SW_NO_WIDGETS_PROVED ON CACHE INTERNAL "The widget stand-ins stop a build")
endif()

function(sw_without_widgets target)
    target_include_directories(${target} BEFORE PRIVATE ${SW_NO_WIDGETS_DIR})
endfunction()
