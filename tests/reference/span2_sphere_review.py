# Independent values for the deck tests/decks/span2_sphere_review: the unit rows of its
# UFACT1, the span selection of the three-dimensional sets (MINEW 2, CLOPR 0.8), each set
# turned toward the centroid of its points, the turned coordinates, the shares, the screen
# positions of the axis letters and of the plotted points, and the communalities.
# The second part gives the values of the deck span2_mode3_preset.
# Run with /usr/bin/python3; its output is span2_sphere_review.out.
import numpy as np, math, sys
U=np.array([[0.7,0.4,0.1,0.0],[0.6,0.5,0.2,0.1],[0.2,0.7,0.3,0.0],[0.1,0.3,0.6,0.1],
 [-0.6,-0.4,-0.2,0.0],[0.0,0.1,0.7,0.3],[0.1,0.0,0.2,0.8],[0.2,0.1,0.0,0.6],
 [0.5,0.5,0.5,0.1],[-0.3,-0.6,-0.3,0.1],[0,0,0,0],[0.4,0.0,0.4,0.4]])
clus={1:1,2:1,3:2,10:-2,4:3,6:3,7:4,8:4}
CLOPR=0.8; MINEW=int(sys.argv[1]) if len(sys.argv)>1 else 2
NV,NF=U.shape
h2=(U**2).sum(1); n=np.sqrt(h2); B=np.where(n[:,None]>0,U/np.where(n>0,n,1)[:,None],0)
def select(k):
    cands={}
    for i in range(NV):
        a=np.abs(B[i]); idx=sorted(sorted(range(NF),key=lambda j:(-a[j],j))[:k])
        cands[tuple(idx)]=cands.get(tuple(idx),0)+1
    keys=sorted(cands)
    cnt={c:0 for c in keys}
    for i in range(NV):
        for c in keys:
            if (B[i,list(c)]**2).sum()>=CLOPR: cnt[c]+=1; break
    return [c for c in keys if cnt[c]>=MINEW]
sets=select(3); print("sets",[tuple(d+1 for d in s) for s in sets])
for si,s in enumerate(sets,1):
    Bs=B[:,list(s)]
    sign=np.where(Bs.sum(1)<0,-1,1)
    m=(Bs**2).sum(1)>CLOPR
    S=(sign[m,None]*Bs[m]).sum(0); g=S/np.linalg.norm(S)
    h=1+g[0];u=-g[1]*g[2]/h;v=1-g[1]**2/h;t=1-g[2]**2/h
    M=np.array([[g[0],g[1],g[2]],[-g[1],v,u],[-g[2],u,t]])
    R=Bs@M.T
    print("set",si,[d+1 for d in s])
    for j,l in enumerate("ZXY"): print(" DIM",s[j]+1,l," ".join("%8.3f"%x for x in R[:,j]))
    print(" SHARE"," ".join("%8.3f"%x for x in (Bs**2).sum(1)))
    col=lambda x:math.trunc((x+1.03)*50); row=lambda y:62-math.trunc((y+1.05)*30)
    for ax,l in zip(np.eye(3),"ZXY"):
        p=M@ax; print(" axis",l,"row",row(p[2]),"col",col(p[1]))
    for i in range(NV):
        if (Bs[i]**2).sum()>=CLOPR:
            x=sign[i]*R[i,1];y=sign[i]*R[i,2]
            print(" var",i+1,"row",row(y),"col-1",col(x)-1,"depth",math.trunc(R[i,0]*100*sign[i]))
print("h2"," ".join("%8.3f"%x for x in h2))

# The deck span2_mode3_preset: the analyst's sets (1, 4), (2, 3, 4), (1, 2, 3, 4) merged with
# the span selection; shares and partial communalities of every set, and set (2, 3, 4) turned.
print("mode 3")
analyst = {2: [(0, 3)], 3: [(1, 2, 3)], 4: [(0, 1, 2, 3)]}
for k in (2, 3, 4):
    for si, s in enumerate(sorted(set(map(tuple, select(k))) | set(analyst[k])), 1):
        sh = (B[:, list(s)]**2).sum(1)
        print(" k", k, "set", si, [d + 1 for d in s])
        print("  PERCENT", " ".join("%6.3f" % x for x in sh))
        print("  PARTIAL", " ".join("%6.3f" % x for x in sh * h2))
s = (1, 2, 3)
Bs = B[:, list(s)]
sign = np.where(Bs.sum(1) < 0, -1, 1)
m = (Bs**2).sum(1) > CLOPR
S = (sign[m, None] * Bs[m]).sum(0); g = S / np.linalg.norm(S)
h = 1 + g[0]; u = -g[1]*g[2]/h; v = 1 - g[1]**2/h; t = 1 - g[2]**2/h
M = np.array([[g[0], g[1], g[2]], [-g[1], v, u], [-g[2], u, t]])
R = Bs @ M.T
for j, l in enumerate("ZXY"): print(" DIM", s[j] + 1, l, " ".join("%8.3f" % x for x in R[:, j]))
for ax, l in zip(np.eye(3), "ZXY"):
    p = M @ ax; print(" axis", l, "row", row(p[2]), "col", col(p[1]))
for i in range(NV):
    if (Bs[i]**2).sum() >= CLOPR:
        print(" var", i + 1, "row", row(sign[i]*R[i, 2]), "col-1", col(sign[i]*R[i, 1]) - 1,
              "depth", math.trunc(R[i, 0]*100*sign[i]))
