// The entry points as a Microsoft-compiler host declares them. Compiled by
// clang for i686-pc-windows-msvc, it gives the decorated names independently
// of the plug-in's own export list (check_exports.sh compares the two).
class COleDateTime;
typedef const char* S;
int AddData0(S,S,COleDateTime*,COleDateTime*,COleDateTime*,COleDateTime*,unsigned,unsigned,S,S,S,S,S,S,S,S,S,S,S,S,S,S,S,int,int,int,double,double,S,S,S,S,S);
int RemoveData0(S,S,COleDateTime*,COleDateTime*,COleDateTime*,COleDateTime*,unsigned,unsigned,S,S,S,S,S,S,S,S,S,S,S,S,S,S,S,int,int,int,double,double,S,S,S,S,S);
int ResetStats0(S,int,S,COleDateTime*,COleDateTime*,S,S,S,S,S,S,S,S,S,S,int,int,int,double,double,S,S,S);
int CheckCallFunc0(S,unsigned,unsigned,S,S,S,S,S,S,S,S,S,S,S,int,int,int,double,double,S,S,S,S,S,S,S,char*,char*);
const char* RunCommand0(int,S);
const char* GetResult0(int*);
const char* GetSetName(int);
int GetNumberOfSets(void);
int StatsGetExchgCount0(S,S,S);
int StatsIsValidExchg0(S,S,S,S,int,int,int);
void SetupSet0(void);
unsigned long setVersion(S);
void* refs[] = {(void*)AddData0,(void*)RemoveData0,(void*)ResetStats0,(void*)CheckCallFunc0,(void*)RunCommand0,(void*)GetResult0,(void*)GetSetName,(void*)GetNumberOfSets,(void*)StatsGetExchgCount0,(void*)StatsIsValidExchg0,(void*)SetupSet0,(void*)setVersion};
