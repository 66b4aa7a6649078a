# Read by cpack before it builds each package. Every package's description
# begins with its own summary line, so no project-wide summary goes in front.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
