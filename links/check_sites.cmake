# Refuses a site base the program could not hand on whole. Also runs alone:
#   cmake -DZEL_MAKER_SITE_BASE=... (all four) -P check_sites.cmake
# Windows hands addresses on in its ANSI code page, which would turn any other
# character into '?': a site is printable ASCII, with no trailing slash.
foreach(site ZEL_MAKER_SITE_BASE ZEL_HELP_SITE_BASE ZEL_PRODUCT_SITE_BASE ZEL_HOME_PAGE)
    if(NOT "${${site}}" MATCHES "^[a-z]+://[!-~]*[^/]$")
        message(FATAL_ERROR "${site} (${${site}}): give a scheme and host in printable ASCII, "
            "with no trailing slash")
    endif()
endforeach()
